// The real window: frmMain with its controls, built from the control table and drawn and
// wired with the Win32 API. It only translates: every message that is input goes to the
// portable ways in (window/ways_in.h), which run the handlers; they talk back through the
// MainWindow and Shell interfaces. The message handlers are in win32_messages.cpp, the
// controls' making in win32_controls.cpp.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/backdrop.h"
#include "fileio/file_system.h"
#include "window/control_table.h"
#include "window/main_window.h"
#include "window/ways_in.h"

namespace varnite {

class Win32MainWindow final : public MainWindow, public Shell {
 public:
  Win32MainWindow(HINSTANCE instance, FileSystem& files);
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;
  ~Win32MainWindow() override;

  // Creates and shows the window with the focus on "Create File"; false if it failed.
  bool Create(int showCommand);
  // Runs the message loop until the window is closed, with `exitCode` the program's; false
  // if the queue could not be read, and then nothing more can happen. A close that comes
  // while a command runs waits for it to end, after all its boxes.
  bool Run(int& exitCode);
  // Opens `paths` (named on the command line) as if dropped, once the window is shown
  // and the message loop runs; none opens nothing.
  void OpenWhenShown(std::vector<std::string> paths);

  std::string Caption(Control control) const override;
  void SetCaption(Control control, const std::string& text) override;
  void SetVisible(Control control, bool visible) override;
  bool ShowOpenDialog() override;
  std::string ChosenPath() const override;
  void SetChosenPath(const std::string& path) override;
  void ShowMessage(const Message& message) override;
  void Beep() override;

  void BlockShutdown(const std::string& reason) override;
  void UnblockShutdown() override;
  void ShowWorking(bool working) override;
  void Close() override;

 private:
  // Posted to the window once it is shown, to open the paths of the command line.
  static constexpr UINT kOpenStartPaths = WM_APP + 1;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // One handler per message (win32_messages.cpp).
  LRESULT OnCreate();
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaint();
  LRESULT OnPrintClient(HDC dc);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
  LRESULT OnSettingChange();
  LRESULT OnActivate(WPARAM wParam);
  LRESULT OnSetFocus();
  LRESULT OnDropFiles(HDROP drop);
  LRESULT OnCopyData(const COPYDATASTRUCT& data);
  LRESULT OnOpenStartPaths();
  LRESULT OnClose();
  LRESULT OnQueryEndSession();
  LRESULT OnEndSession(WPARAM wParam);
  LRESULT OnDestroy();
  // The controls shown at start; false if one could not be made (win32_controls.cpp).
  bool CreateControls();
  // Makes `control`, at its place in the tab order, laid out at dpi_; false if it could
  // not be made.
  bool MakeControl(Control control);
  // The control's window, made first if it has not been yet; null if it cannot be made.
  HWND Made(Control control);
  bool ClickFocusedButtonOnReturn(const MSG& msg);
  // Lays the window out at `dpi`: its fonts, every control, its client area and what is
  // painted behind the controls; moved first to `suggested`, where Windows gives one.
  void ApplyDpi(int dpi, const RECT* suggested);
  // Gives a made control its font at dpi_ and lays it out: a label as wide as its text in
  // that font, the help panel's font chosen to fit the panel where it now lies.
  void FitControl(const ControlRow& row);
  void FitClientArea();
  // Draws the backdrop anew (after a DPI, system colour or High Contrast change) and
  // repaints the whole window from it.
  void RebuildBackdrop();
  LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
  // The brush a label or a panel is painted with, and its text colours set on `dc`.
  HBRUSH LabelBrush(HDC dc, HWND control);
  // The control's window; null for one hidden at start and not made yet.
  HWND Handle(Control control) const;

  HINSTANCE instance_;
  FileSystem& files_;
  HWND hwnd_ = nullptr;
  HWND controls_[kControlCount] = {};
  HWND lastFocus_ = nullptr;
  bool created_ = false;  // WM_CREATE made every control
  // The DPI the window is laid out at: that of the display it is on.
  int dpi_ = kDesignDpi;
  // What every paint copies from.
  Backdrop backdrop_;
  HFONT uiFont_ = nullptr;
  HFONT helpFont_ = nullptr;
  std::wstring chosenPath_;
  WaysIn waysIn_;
};

}  // namespace varnite
