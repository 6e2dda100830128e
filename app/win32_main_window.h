// The real window: frmMain with its controls, built from the control table and drawn and
// wired with the Win32 API. It only translates: every click goes to a portable handler,
// which talks back through the MainWindow interface.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/backdrop.h"
#include "fileio/file_system.h"
#include "window/control_table.h"
#include "window/dispatch.h"
#include "window/main_window.h"

namespace varnite {

class Win32MainWindow final : public MainWindow {
 public:
  Win32MainWindow(HINSTANCE instance, FileSystem& files);
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;
  ~Win32MainWindow() override;

  // Creates and shows the window with the focus on "Create File"; false if it failed.
  bool Create(int showCommand);
  // Runs the message loop until the window is closed; returns the exit code. A close
  // that comes while a command runs waits for it to end, after all its boxes.
  int Run();
  // Opens `paths` (named on the command line) as if dropped, once the window is shown
  // and the message loop runs; none opens nothing.
  void OpenWhenShown(std::vector<std::string> paths);

  std::string Caption(Control control) const override;
  void SetCaption(Control control, const std::string& text) override;
  void SetPanelVisible(Control panel, bool visible) override;
  bool ShowOpenDialog() override;
  std::string ChosenPath() const override;
  void SetChosenPath(const std::string& path) override;
  void ShowMessage(const Message& message) override;
  void Beep() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // False if a control could not be made.
  bool CreateControls();
  void OnCommand(int id);
  bool ClickFocusedButtonOnReturn(const MSG& msg);
  void OnDropFiles(HDROP drop);
  LRESULT OnCopyData(const COPYDATASTRUCT& data);
  // Runs one way in (a click, a drop, paths given at start or by a second start). A command
  // it starts shows the wait cursor while it works and keeps Windows from ending the
  // session; when the command has ended the window closes if a close came meanwhile, or
  // if a failure no handler caught has been reported.
  void Take(const std::function<void()>& wayIn);
  // The wait cursor while a command works on files, the arrow while it waits for the user.
  void ShowWorking(bool working);
  // Lays the window out at `dpi`: its fonts, every control, its client area and what is
  // painted behind the controls; moved first to `suggested`, where Windows gives one.
  void ApplyDpi(int dpi, const RECT* suggested);
  void FitClientArea();
  // Draws the backdrop anew (after a DPI, system colour or High Contrast change) and
  // repaints the whole window from it.
  void RebuildBackdrop();
  HBRUSH OnCtlColorStatic(HDC dc, HWND control);
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
  std::vector<std::string> startPaths_;
  Dispatcher dispatcher_;
};

}  // namespace varnite
