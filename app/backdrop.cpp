#include "app/backdrop.h"

#include "resources/resource.h"
#include "window/control_table.h"

namespace varnite {
namespace {

// The heading the picture shows, and the box its lettering lies in, in the picture's own
// pixels (its size at 96 DPI).
constexpr wchar_t kHeading[] = L"CDrom Copy Protection Utility";
constexpr RECT kHeadingBox = {10, 15, 313, 38};
constexpr int kHeadingPixelHeight = 20;

int PicturePixels(int pixels, int dpi) {
  return TwipsToPixels(pixels * kPictureTwipsPerPixel, dpi);
}

}  // namespace

bool HighContrastOn() {
  HIGHCONTRASTW settings{};
  settings.cbSize = sizeof settings;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) &&
         (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

Backdrop::~Backdrop() { Release(); }

void Backdrop::Release() {
  if (brush_) DeleteObject(brush_);
  if (dc_) {
    SelectObject(dc_, dcBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  brush_ = nullptr;
  dc_ = nullptr;
  bitmap_ = nullptr;
}

void Backdrop::Rebuild(HINSTANCE instance, int width, int height, int dpi) {
  Release();
  highContrast_ = HighContrastOn();
  // A 32-bit DIB section in a memory DC: made without asking the screen for anything, and
  // every paint copies from it without a conversion.
  dc_ = CreateCompatibleDC(nullptr);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dc_ || !bitmap_) {
    Release();
    return;
  }
  dcBitmap_ = SelectObject(dc_, bitmap_);
  if (highContrast_) {
    // No picture: the user chose these colours to be able to read the screen.
    RECT all = {0, 0, width, height};
    FillRect(dc_, &all, GetSysColorBrush(COLOR_WINDOW));
    DrawHeading(dpi);
  } else {
    DrawPicture(instance, width, height, dpi);
  }
  brush_ = CreatePatternBrush(bitmap_);
}

// The picture keeps its size in twips, 15 to a pixel: at 96 DPI it is drawn pixel for
// pixel as it is stored, at any other it is scaled once, smoothly, here. Whatever strip of
// the client area it does not cover takes the colour of its top-right corner, the
// darkest end of its gradient.
void Backdrop::DrawPicture(HINSTANCE instance, int width, int height, int dpi) {
  // Loaded as it is stored, with no conversion to the screen's format: the one copy into
  // the backdrop converts it anyway.
  auto* source = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_BACKGROUND),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!source) return;
  BITMAP info{};
  GetObjectW(source, sizeof info, &info);
  HDC sourceDc = CreateCompatibleDC(dc_);
  HGDIOBJ sourceDcBitmap = SelectObject(sourceDc, source);
  const int scaledWidth = PicturePixels(info.bmWidth, dpi);
  const int scaledHeight = PicturePixels(info.bmHeight, dpi);
  if (scaledWidth == info.bmWidth && scaledHeight == info.bmHeight) {
    BitBlt(dc_, 0, 0, info.bmWidth, info.bmHeight, sourceDc, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc_, HALFTONE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);  // as HALFTONE requires
    StretchBlt(dc_, 0, 0, scaledWidth, scaledHeight, sourceDc, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
  }
  // Whatever strip the picture leaves uncovered, in the colour of its top-right corner.
  HBRUSH edge = CreateSolidBrush(GetPixel(sourceDc, info.bmWidth - 1, 0));
  const RECT right = {scaledWidth, 0, width, height}, below = {0, scaledHeight, width, height};
  FillRect(dc_, &right, edge);
  FillRect(dc_, &below, edge);
  DeleteObject(edge);
  SelectObject(sourceDc, sourceDcBitmap);
  DeleteDC(sourceDc);
  DeleteObject(source);
}

// The picture's heading as text in the window text colour, where the picture has it.
void Backdrop::DrawHeading(int dpi) {
  HFONT font = CreateFontW(-PicturePixels(kHeadingPixelHeight, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN, L"Times New Roman");
  RECT box = {PicturePixels(kHeadingBox.left, dpi), PicturePixels(kHeadingBox.top, dpi),
              PicturePixels(kHeadingBox.right, dpi), PicturePixels(kHeadingBox.bottom, dpi)};
  HGDIOBJ oldFont = SelectObject(dc_, font);
  SetTextColor(dc_, GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc_, TRANSPARENT);
  DrawTextW(dc_, kHeading, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc_, oldFont);
  DeleteObject(font);
}

void Backdrop::Paint(HDC dc, const RECT& area) const {
  if (dc_) {
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_, area.left,
           area.top, SRCCOPY);
  } else {
    FillRect(dc, &area, GetSysColorBrush(COLOR_3DFACE));
  }
}

HBRUSH Backdrop::BrushFor(HDC childDc, POINT origin) const {
  if (!brush_) return GetSysColorBrush(COLOR_3DFACE);
  // The brush's pixel (x, y) lands on the child's pixel (x - origin.x, y - origin.y).
  SetBrushOrgEx(childDc, -origin.x, -origin.y, nullptr);
  return brush_;
}

COLORREF Backdrop::TextColour() const {
  return GetSysColor(highContrast_ ? COLOR_WINDOWTEXT : COLOR_HIGHLIGHTTEXT);
}

}  // namespace varnite
