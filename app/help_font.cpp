#include "app/help_font.h"

#include <algorithm>
#include <string>
#include <vector>

#include "fileio/utf.h"
#include "window/control_table.h"
#include "window/help_font.h"

namespace varnite {
namespace {

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool FontInstalled(const std::wstring& face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// A serif face by name, or, for the empty name, the one the font mapper picks.
HFONT CreateSerifFont(const std::wstring& face, int pixelHeight) {
  return CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     VARIABLE_PITCH | FF_ROMAN, face.c_str());
}

}  // namespace

HFONT SetHelpFont(HWND panel, int dpi, HFONT fallback) {
  std::vector<std::wstring> lines;
  for (const std::string& line : TextLines(RowOf(Control::txtHelp).initialText)) {
    lines.push_back(Utf8ToWide(line));
  }
  HDC dc = GetDC(panel);
  auto widestLine = [&](const std::string& face, int pixelHeight) {
    HFONT font = CreateSerifFont(Utf8ToWide(face), pixelHeight);
    if (!font) return 0;
    HGDIOBJ old = SelectObject(dc, font);
    int widest = 0;
    for (const std::wstring& line : lines) {
      SIZE size{};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
      widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    DeleteObject(font);
    return widest;
  };
  auto installed = [](const std::string& face) { return FontInstalled(Utf8ToWide(face)); };
  // The room the edit control gives a line: its client area less its margins, which it
  // sets from its font. So the font is chosen, set, and chosen again if the margins it
  // brought leave another room; a smaller font never brings wider margins, so one more
  // round settles it. The same choice again is not set again (a new font makes the panel
  // lay its text out anew, which takes a few milliseconds).
  HFONT font = nullptr;
  HelpFont set{"", 0, false};
  int room = -1;
  for (int pass = 0; pass < 3; ++pass) {
    RECT format{};
    SendMessageW(panel, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    if (format.right - format.left == room) break;
    room = format.right - format.left;
    const HelpFont chosen = ChooseHelpFont(dpi, room, installed, widestLine);
    if (font && chosen.face == set.face && chosen.pixelHeight == set.pixelHeight) break;
    set = chosen;
    HFONT next = CreateSerifFont(Utf8ToWide(chosen.face), chosen.pixelHeight);
    SendMessageW(panel, WM_SETFONT, reinterpret_cast<WPARAM>(next ? next : fallback), FALSE);
    if (font) DeleteObject(font);
    font = next;
  }
  ReleaseDC(panel, dc);
  return font;
}

}  // namespace varnite
