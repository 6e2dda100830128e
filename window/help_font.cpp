#include "window/help_font.h"

#include "window/control_table.h"

namespace varnite {

HelpFont ChooseHelpFont(int dpi, int room, const std::function<bool(const std::string&)>& installed,
                        const std::function<int(const std::string&, int)>& widestLine) {
  const int nominal = FontPixelHeight(kHelpFontSize, dpi);
  // The face the text was made for keeps its size: its bitmap sizes are what Windows has.
  if (installed(kHelpFace)) return {kHelpFace, nominal, true};
  const int smallest = FontPixelHeight(kHelpFontSmallest, dpi);
  // Nothing fits: the smallest size of the first face there, whose lines then wrap least.
  HelpFont fallback{"", smallest, false};
  bool firstThere = true;
  for (const std::string& face : HelpFallbackFaces()) {
    if (!face.empty() && !installed(face)) continue;
    // The first face there keeps its look at a smaller size rather than give way to the
    // next, which is the mapper's guess.
    for (int height = nominal; height >= smallest; --height) {
      if (widestLine(face, height) <= room) return {face, height, true};
    }
    if (firstThere) fallback.face = face;
    firstThere = false;
  }
  return fallback;
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace varnite
