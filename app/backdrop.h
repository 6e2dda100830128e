// What lies behind the controls of the window, drawn once into a bitmap of the client
// area's size: the background picture scaled to the DPI, or, while High Contrast is on,
// the system's window colour with the picture's heading as plain text. It is the one
// source the window paints from: the window copies from it, and the labels take it as
// their background brush. A DPI or system colour change rebuilds it.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace varnite {

class Backdrop {
 public:
  Backdrop() = default;
  Backdrop(const Backdrop&) = delete;
  Backdrop& operator=(const Backdrop&) = delete;
  ~Backdrop();

  // Draws it anew for a client area of `width` x `height` pixels at `dpi`, asking Windows
  // whether High Contrast is on.
  void Rebuild(HINSTANCE instance, int width, int height, int dpi);

  // Copies `area` (client coordinates, which are `dc`'s logical ones) into `dc`.
  void Paint(HDC dc, const RECT& area) const;
  // The same pixels as a brush, for a child window at `origin` in the client area to fill
  // its background with: its brush origin is set in `childDc`.
  HBRUSH BrushFor(HDC childDc, POINT origin) const;
  // The colour of text over it: the system's colour for highlighted text over the
  // picture, as the labels always had; the window text colour under High Contrast.
  COLORREF TextColour() const;
  // Whether it was drawn for High Contrast.
  bool HighContrast() const { return highContrast_; }

 private:
  void Release();
  void DrawPicture(HINSTANCE instance, int width, int height, int dpi);
  void DrawHeading(int dpi);

  bool highContrast_ = false;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ dcBitmap_ = nullptr;
  HBRUSH brush_ = nullptr;
};

// Whether the user has High Contrast on (SPI_GETHIGHCONTRAST).
bool HighContrastOn();

}  // namespace varnite
