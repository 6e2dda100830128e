// End-to-end cases of what the window shows at the display's DPI, at another it is moved
// to and back, and under High Contrast: the texts fit their controls, and the picture, or
// the system's colours, cover the client area. Also the README's pictures.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/ui/drop_hook.h"
#include "tests/ui/ui_driver.h"
#include "window/control_table.h"
#include "window/help_font.h"

namespace varnite::ui {
namespace {

// The states a case checks the window's pixels in, each reached from the one before: as
// it starts at the display's DPI, moved by WM_DPICHANGED to a display of another DPI and
// back, and with High Contrast switched on and off again.
struct WindowState {
  std::string name;
  std::function<void(Varnite&)> reach;
  int dpi;
  bool highContrast;
};

// Starts Varnite and runs `check` as one row for each state in turn.
void ForEachWindowState(bool highContrastToo,
                        const std::function<void(Varnite&, const WindowState&)>& check) {
  const int dpi = DisplayDpi();
  const int otherDpi = OtherDpi(dpi);
  std::vector<WindowState> states = {
      {"at_start", [](Varnite&) {}, dpi, false},
      {"moved_to_" + std::to_string(otherDpi) + "_dpi",
       [=](Varnite& app) {
         const int fromDpi = dpi;
         app.ChangeDpi(otherDpi, fromDpi);
       },
       otherDpi, false},
      {"moved_back", [=](Varnite& app) { app.ChangeDpi(dpi, otherDpi); }, dpi, false},
  };
  if (highContrastToo) {
    states.push_back(
        {"high_contrast_on", [](Varnite& app) { app.SetHighContrast(true); }, dpi, true});
    states.push_back(
        {"high_contrast_off", [](Varnite& app) { app.SetHighContrast(false); }, dpi, false});
  }
  Varnite app;
  for (const WindowState& state : states) {
    Row(state.name, [&] {
      state.reach(app);
      check(app, state);
    });
  }
}

// Where the window's controls of `kind` are now (a label may be wider than the table has it).
std::vector<PixelRect> PlacesOf(Varnite& app, ControlKind kind) {
  std::vector<PixelRect> places;
  for (const ControlRow& row : kControlTable) {
    if (row.kind != kind) continue;
    const RECT rc = app.ClientRectOf(row.id);
    places.push_back({rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top});
  }
  return places;
}

// A font of the same face as the default user-interface font, `hundredthsOfPoint` high at
// `dpi`: the font the program's buttons and labels are drawn in.
HFONT UiFont(int hundredthsOfPoint, int dpi) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -FontPixelHeight(hundredthsOfPoint, dpi);
  font.lfWidth = 0;
  return CreateFontIndirectW(&font);
}

int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  return size.cx;
}

// The columns, from the text's origin, of the leftmost and rightmost pixel that `text`
// inks in `font`, drawn here the way a control draws it.
struct Ink {
  int left = -1, right = -1;
};
Ink InkOf(HFONT font, const std::wstring& text) {
  const int width = 1024, height = 64;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  HGDIOBJ oldFont = SelectObject(memory, font);
  RECT all = {0, 0, width, height};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetTextColor(memory, RGB(255, 255, 255));
  SetBkMode(memory, TRANSPARENT);
  TextOutW(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
  GdiFlush();
  Ink ink;
  const auto* bgra = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (bgra[4 * (y * width + x) + 2] > 40) {
        if (ink.left < 0 || x < ink.left) ink.left = x;
        ink.right = std::max(ink.right, x);
      }
    }
  }
  SelectObject(memory, oldFont);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ink;
}

// The picture's colour at picture column `u` (fractional, 96-DPI pixels): solid blue to
// column 71, then an even fall to near black at column 306. The same in every row.
void GradientAt(double u, double rgb[3]) {
  const double blue[3] = {34, 18, 185}, dark[3] = {0, 0, 3};
  const double t = u < 71 ? 0 : u >= 306 ? 1 : (u - 71) / (306 - 71);
  for (int i = 0; i < 3; ++i) rgb[i] = blue[i] + (dark[i] - blue[i]) * t;
}

// How far a pixel is from the picture's gradient at client column x, and whether it is
// brighter in every channel (a letter drawn over it).
struct Difference {
  double most;
  bool brighter;
};
Difference FromGradient(COLORREF colour, int x, int dpi) {
  double expected[3];
  GradientAt((x + 0.5) * 96.0 / dpi - 0.5, expected);
  const double got[3] = {double(GetRValue(colour)), double(GetGValue(colour)),
                         double(GetBValue(colour))};
  Difference d{0, true};
  for (int i = 0; i < 3; ++i) {
    d.most = std::max(d.most, std::abs(got[i] - expected[i]));
    if (got[i] < expected[i] - 12) d.brighter = false;
  }
  return d;
}

bool Inside(const PixelRect& r, int x, int y, int margin) {
  return x >= r.left - margin && x < r.right() + margin && y >= r.top - margin &&
         y < r.bottom() + margin;
}

// Saves what the screen shows of the window, title bar included, as a 24-bit BMP.
void SaveWindowPicture(HWND window, const char* path) {
  RECT rc;
  GetWindowRect(window, &rc);
  const int width = rc.right - rc.left, height = rc.bottom - rc.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((width * 3 + 3) / 4) * 4, size = stride * height;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  std::FILE* out = std::fopen(path, "wb");
  Check(out != nullptr, std::string("can write ") + path);
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
  std::fwrite(bits, size, 1, out);
  std::fclose(out);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace

// For the README: the window at start, or with a panel open.
int SavePicture(const char* path, const char* panel) {
  Varnite app;
  if (panel && std::strcmp(panel, "help") == 0) {
    app.Click(IDC_CMD_HELP);
    WaitForCaption(app, IDC_CMD_HELP, L"Hide Help");
  }
  if (panel && std::strcmp(panel, "about") == 0) {
    app.Click(IDC_CMD_ABOUT);
    WaitForCaption(app, IDC_CMD_ABOUT, L"Hide About");
  }
  app.CaptureClientArea();  // returns once the screen shows the window as painted
  SaveWindowPicture(app.window(), path);
  return 0;
}

namespace {

// Each label's and button's text fits its control at `dpi` as well as it does at 96: its
// width in the control's font, against the control's width, grows by no more than a
// rounding's worth. The font is the user-interface font at its 8 points; the letters on
// the screen are checked against the same text drawn here in that font, so a control
// drawn in another font or size fails. A label shows all of its text, or as much as the
// window has room for: never less than the same label widened to the window's edge.
void CheckTextsFit(Varnite& app, int dpi) {
  const Varnite::Pixels pixels = app.CaptureClientArea();
  HDC dc = GetDC(nullptr);
  HFONT here = UiFont(kUiFontSize, dpi), at96 = UiFont(kUiFontSize, 96);
  // The texts each control shows: its initial text, and what a click puts there.
  const struct {
    Control control;
    const wchar_t* later;
  } rows[] = {
      {Control::cmdCreate, L"Modify"},
      {Control::cmdEdit, nullptr},
      {Control::cmdHelp, L"Hide Help"},
      {Control::cmdAbout, L"Hide About"},
      {Control::lblCreate, L"Hit Modify Once The CD Is Recording"},
      {Control::lblCueSheet, L"Protection Tracks Have Been Added"},
      {Control::lblHelp, L"See Its Easy Huh ?"},
      {Control::lblAbout, L"Thankyou, You Are Very Kind"},
  };
  std::string report;
  bool fits = true;
  for (const auto& row : rows) {
    const ControlRow& control = RowOf(row.control);
    const PixelRect r = ToPixels(control.twips, dpi, dpi);
    const int width96 = ToPixels(control.twips, 96, 96).width;
    for (const std::wstring& text :
         {Wide(control.initialText), std::wstring(row.later ? row.later : L"")}) {
      if (text.empty()) continue;
      const double need = double(TextWidth(dc, here, text)) / r.width;
      const double need96 = double(TextWidth(dc, at96, text)) / width96;
      char line[200];
      std::snprintf(line, sizeof line, "%s \"%s\": %.3f of its width at %d DPI, %.3f at 96\n",
                    control.name, Narrow(text).c_str(), need, dpi, need96);
      report += line;
      if (need > need96 + 0.02) fits = false;
    }

    // The letters of the text it holds on the screen: white over the picture in a label,
    // from its left edge on (looked for up to the window's edge); dark on the face of a
    // button, centred, clear of the edges where the focus rectangle and the frame are drawn.
    const Ink expected = InkOf(here, app.Text(control.id));
    Ink seen;
    const bool label = control.kind == ControlKind::Label;
    const int margin = label ? 0 : 6 * dpi / 96;
    const int right = label ? pixels.width : r.right() - margin;
    for (int y = r.top + margin; y < r.bottom() - margin; ++y) {
      for (int x = r.left + margin; x < right; ++x) {
        const COLORREF c = pixels.at(x, y);
        const bool ink = label ? FromGradient(c, x, dpi).most > 40
                               : GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 110;
        if (!ink) continue;
        if (seen.left < 0 || x - r.left < seen.left) seen.left = x - r.left;
        seen.right = std::max(seen.right, x - r.left);
      }
    }
    const std::string what = std::string(control.name) + "'s letters span " +
                             std::to_string(seen.left) + " to " + std::to_string(seen.right) +
                             "; the text in the user-interface font spans " +
                             std::to_string(expected.right - expected.left + 1) + " pixels";
    if (label) {
      const int shown = std::min(expected.right, pixels.width - r.left - 1);
      Check(std::abs(seen.left - expected.left) <= 1 && seen.right >= shown - 1 &&
                seen.right <= expected.right + 1,
            what + " from " + std::to_string(expected.left) + "; the window has room up to " +
                std::to_string(pixels.width - r.left - 1));
    } else {
      Check(std::abs((seen.right - seen.left) - (expected.right - expected.left)) <= 1, what);
    }
  }
  DeleteObject(here);
  DeleteObject(at96);
  ReleaseDC(nullptr, dc);
  std::printf("%s", report.c_str());
  Check(fits, "every text fits its control as well as at 96 DPI");
  // The help panel breaks lines only where its text does (and shows the empty line after
  // the last line end). Shown, and hidden again for the next state.
  app.Click(IDC_CMD_HELP);
  WaitForCaption(app, IDC_CMD_HELP, L"Hide Help");
  DWORD_PTR lines = 0;
  SendMessageTimeoutW(app.Control(IDC_TXT_HELP), EM_GETLINECOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000,
                      &lines);
  app.Click(IDC_CMD_HELP);
  WaitForCaption(app, IDC_CMD_HELP, L"Help Please");
  const std::size_t textLines = TextLines(RowOf(Control::txtHelp).initialText).size() + 1;
  CheckEq(static_cast<long>(lines), static_cast<long>(textLines), "lines in the help panel");
}

}  // namespace

void TextsFitTheirControls() {
  ForEachWindowState(false,
                     [](Varnite& app, const WindowState& state) { CheckTextsFit(app, state.dpi); });
}

namespace {

// The picture covers the whole client area, scaled to the DPI: every pixel that no button
// or label covers shows the gradient at its place in the scaled picture, away from the
// banner's and the footer's lettering; and each label shows its own slice of the scaled
// picture behind its letters.
void CheckPicture(const Varnite::Pixels& pixels, int dpi, const std::vector<PixelRect>& buttons,
                  const std::vector<PixelRect>& labels) {
  auto scaled = [dpi](int px96) { return TwipsToPixels(px96 * 15, dpi); };
  // The lettering's boxes in the picture at 96 DPI, with a pixel or two of shadow and blur.
  const PixelRect banner = {scaled(8), scaled(13), scaled(308), scaled(29)};
  const PixelRect footer = {scaled(158), scaled(198), scaled(153), scaled(13)};
  int checked = 0;
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      bool covered = Inside(banner, x, y, 0) || Inside(footer, x, y, 0);
      for (const PixelRect& r : buttons) covered = covered || Inside(r, x, y, 1);
      for (const PixelRect& r : labels) covered = covered || Inside(r, x, y, 0);
      if (covered) continue;
      const Difference d = FromGradient(pixels.at(x, y), x, dpi);
      if (d.most > 12) {
        const COLORREF c = pixels.at(x, y);
        Check(false, "client pixel " + std::to_string(x) + "," + std::to_string(y) + " is " +
                         std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
                         std::to_string(GetBValue(c)) + ", not the picture's colour there");
      }
      ++checked;
    }
  }
  Check(checked > pixels.width * pixels.height / 2, "most of the client area was checked");
  // Behind a label's letters: the picture where no letter is, and only brighter pixels
  // where one is.
  for (const PixelRect& r : labels) {
    int background = 0, total = 0;
    for (int y = r.top; y < r.bottom(); ++y) {
      for (int x = r.left; x < r.right(); ++x) {
        const Difference d = FromGradient(pixels.at(x, y), x, dpi);
        ++total;
        if (d.most <= 12) {
          ++background;
        } else {
          Check(d.brighter, "label pixel " + std::to_string(x) + "," + std::to_string(y) +
                                " is darker than the picture behind it");
        }
      }
    }
    Check(background * 2 > total,
          "the label at " + std::to_string(r.left) + "," + std::to_string(r.top) +
              " shows the picture behind its letters (" + std::to_string(background) + " of " +
              std::to_string(total) + " pixels)");
  }
}

// Under High Contrast no part of the picture is left: outside the buttons every pixel is
// the window colour, or the window text colour blended into it (the palette is black and
// white, so any blend is a grey, and the picture has none); and each label's letters stand
// out, in the text colour over a background of the window colour.
void CheckSystemColours(const Varnite::Pixels& pixels, const std::vector<PixelRect>& buttons,
                        const std::vector<PixelRect>& labels) {
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      bool covered = false;
      for (const PixelRect& r : buttons) covered = covered || Inside(r, x, y, 1);
      const COLORREF c = pixels.at(x, y);
      if (!covered && (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c))) {
        Check(false, "client pixel " + std::to_string(x) + "," + std::to_string(y) + " is " +
                         std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
                         std::to_string(GetBValue(c)) + ", not of the High Contrast palette");
      }
    }
  }
  for (const PixelRect& r : labels) {
    int letters = 0, background = 0;
    for (int y = r.top; y < r.bottom(); ++y) {
      for (int x = r.left; x < r.right(); ++x) {
        letters += pixels.at(x, y) == kHighContrastText ? 1 : 0;
        background += pixels.at(x, y) == kHighContrastWindow ? 1 : 0;
      }
    }
    Check(letters > r.height && background * 2 > r.width * r.height,
          "the label at " + std::to_string(r.left) + "," + std::to_string(r.top) + " has " +
              std::to_string(letters) + " pixels of text colour over " +
              std::to_string(background) + " of the window colour");
  }
}

}  // namespace

void PictureCoversTheClientArea() {
  ForEachWindowState(true, [](Varnite& app, const WindowState& state) {
    const Varnite::Pixels pixels = app.CaptureClientArea();
    CheckEq(pixels.width, TwipsToPixels(kClientWidthTwips, state.dpi), "client width");
    CheckEq(pixels.height, TwipsToPixels(kClientHeightTwips, state.dpi), "client height");
    const auto buttons = PlacesOf(app, ControlKind::Button);
    const auto labels = PlacesOf(app, ControlKind::Label);
    if (state.highContrast) {
      CheckSystemColours(pixels, buttons, labels);
    } else {
      CheckPicture(pixels, state.dpi, buttons, labels);
    }
  });
}

}  // namespace varnite::ui
