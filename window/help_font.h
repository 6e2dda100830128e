// The help panel's font. Its text is laid out in lines of its own, written for "MS Serif"
// at 6.75 points; where that face is missing, another serif face is chosen at the largest
// size (down to a floor) at which the text's widest line fits the panel, so that the panel
// breaks lines only where the text does. Portable: the Win32 side only measures.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace varnite {

// The face the help text was written for.
inline constexpr char kHelpFace[] = "MS Serif";
// Where it is missing, tried in turn: a serif face every Windows has, then the font
// mapper's serif choice (the empty name), which is always there.
inline const std::vector<std::string>& HelpFallbackFaces() {
  static const std::vector<std::string> faces = {"Times New Roman", ""};
  return faces;
}
// A fallback face is not made smaller than this, in hundredths of a point: below it the
// text is worse to read than a line broken in two.
inline constexpr int kHelpFontSmallest = 525;

struct HelpFont {
  std::string face;
  int pixelHeight;  // of the character cell's em, as a negative LOGFONT height takes it
  bool fits;        // the widest line fits the panel (always true for kHelpFace)
};

// `installed(face)`: whether the face is on the system. `widestLine(face, pixelHeight)`:
// the width in pixels of the help text's widest line in that font. `room`: the width the
// panel has for a line, in pixels.
HelpFont ChooseHelpFont(int dpi, int room, const std::function<bool(const std::string&)>& installed,
                        const std::function<int(const std::string&, int)>& widestLine);

// The lines of a panel's text, as the text breaks them (at CR LF), trailing blanks kept:
// an edit control wraps a line whose blanks run past its edge.
std::vector<std::string> TextLines(const std::string& text);

}  // namespace varnite
