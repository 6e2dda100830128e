#include "app/win32_main_window.h"

#include <commctrl.h>

#include <vector>

#include "app/control_layout.h"
#include "app/event_wiring.h"
#include "app/hand_over.h"
#include "app/help_font.h"
#include "app/shell_paths.h"
#include "app/system_function.h"
#include "app/system_libraries.h"
#include "fileio/utf.h"
#include "resources/resource.h"

namespace varnite {
namespace {

// Posted to the window once it is shown, to open the paths of the command line.
constexpr UINT kOpenStartPaths = WM_APP + 1;
// WM_DPICHANGED, which Windows 8.1 and later send when the window moves to a display of
// another DPI (the headers define it only for those versions).
constexpr UINT kDpiChanged = 0x02E0;

// The default user-interface font, the face of DEFAULT_GUI_FONT, at its 8 points for the
// display's DPI. Windows makes the stock font just so; Wine scales its 96-DPI pixel height
// and rounds up, 8.5 points at 144 DPI, which cuts the labels' texts shorter than at 96.
HFONT CreateUiFont(int dpiY) {
  LOGFONTW font{};
  if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return nullptr;
  font.lfHeight = -FontPixelHeight(kUiFontSize, dpiY);
  font.lfWidth = 0;
  return CreateFontIndirectW(&font);
}

// The panels are read-only, so they have no use for the Tab key; without this a multi-line
// edit keeps Tab for itself and the keyboard user could not leave a shown panel. Nor
// should tabbing into one select its whole text, as the dialog manager does for an edit.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                           UINT_PTR id, DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, PanelProc, id);
  LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  if (message == WM_GETDLGCODE) {
    result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_HASSETSEL);
  }
  return result;
}

// While a command runs, Windows Vista and later are told why the session should not end
// yet; the user who logs off sees the reason. Windows XP has no such calls: looked up.
struct ShutdownBlock {
  BOOL(WINAPI* create)(HWND, LPCWSTR) = nullptr;
  BOOL(WINAPI* destroy)(HWND) = nullptr;
};

const ShutdownBlock& FindShutdownBlock() {
  static const ShutdownBlock block = [] {
    ShutdownBlock found;
    found.create = SystemFunction<BOOL(WINAPI*)(HWND, LPCWSTR)>(L"user32.dll",
                                                                "ShutdownBlockReasonCreate");
    found.destroy =
        SystemFunction<BOOL(WINAPI*)(HWND)>(L"user32.dll", "ShutdownBlockReasonDestroy");
    return found;
  }();
  return block;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  int length = GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, FileSystem& files)
    : instance_(instance), files_(files) {
  WireClickHandlers(dispatcher_, *this, files_);
}

Win32MainWindow::~Win32MainWindow() {
  if (helpFont_) DeleteObject(helpFont_);
  if (uiFont_) DeleteObject(uiFont_);
}

bool Win32MainWindow::Create(int showCommand) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_VARNITE));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VARNITE),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = VARNITE_WINDOW_CLASS;
  if (!RegisterClassExW(&wc)) return false;

  // The layout is in twips, so it follows the display's DPI as the fonts do; the program
  // declares itself DPI-aware, per display where Windows can, so Windows does not stretch
  // it a second time. It is made at the system's DPI, then laid out at the DPI of the
  // display it is on.
  dpi_ = WindowDpi(nullptr);

  // A fixed single border: a caption, the system menu and minimize, but no sizing.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, TwipsToPixels(kClientWidthTwips, dpi_),
                TwipsToPixels(kClientHeightTwips, dpi_)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  // WS_EX_ACCEPTFILES makes it a drop target for files from Explorer.
  hwnd_ = CreateWindowExW(WS_EX_ACCEPTFILES, VARNITE_WINDOW_CLASS,
                          Utf8ToWide(kWindowCaption).c_str(), style, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                          nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;
  ApplyDpi(WindowDpi(hwnd_), nullptr);
  AcceptDroppedFiles(hwnd_);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(Handle(FirstInTabOrder()));
  return true;
}

int Win32MainWindow::Run() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);  // WM_QUIT: the window is gone
    if (got < 0) return 1;  // the queue cannot be read, so nothing more can happen
    if (ClickFocusedButtonOnReturn(msg)) continue;
    // The dialog manager gives the plain window tab navigation and keyboard clicks.
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32MainWindow::OpenWhenShown(std::vector<std::string> paths) {
  startPaths_ = std::move(paths);
  if (!startPaths_.empty()) PostMessageW(hwnd_, kOpenStartPaths, 0, 0);
}

// Return clicks the focused button, however the focus got there. The window is not a
// dialog, so the dialog manager would click only a button it had made the default, which
// it does when Tab brings the focus to it, but not at start, after a mouse click or when
// the focus comes back after a box.
bool Win32MainWindow::ClickFocusedButtonOnReturn(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
  if (!msg.hwnd || GetParent(msg.hwnd) != hwnd_) return false;
  const ControlRow* row = RowWithId(GetDlgCtrlID(msg.hwnd));
  if (!row || row->kind != ControlKind::Button || Handle(row->control) != msg.hwnd) return false;
  // A held key repeats its key-down; one press is one click.
  const bool repeat = (msg.lParam & (1L << 30)) != 0;
  if (!repeat) SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
  return true;
}

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  return self ? self->HandleMessage(message, wParam, lParam)
              : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // A window with holes is no use: without every control, creating it fails, and
      // start-up says so.
      created_ = CreateControls();
      return created_ ? 0 : -1;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) OnCommand(LOWORD(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT paints every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      backdrop_.Paint(dc, paint.rcPaint);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      // A themed button has its corners painted by asking the window to paint into the
      // button's own DC, its origin moved to the window's: a copy in logical coordinates
      // lands right there.
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT area;
      if (GetClipBox(dc, &area) == ERROR) GetClientRect(hwnd_, &area);
      backdrop_.Paint(dc, area);
      return 0;
    }
    case kDpiChanged:
      ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SYSCOLORCHANGE:
      // The common controls learn of it only from their parent.
      for (HWND control : controls_) SendMessageW(control, WM_SYSCOLORCHANGE, wParam, lParam);
      RebuildBackdrop();
      return 0;
    case WM_SETTINGCHANGE:
      // High Contrast may have been switched on or off.
      if (HighContrastOn() != backdrop_.HighContrast()) RebuildBackdrop();
      return 0;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(
          OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_ACTIVATE:
      // Keep the focused control across message boxes and other windows.
      if (LOWORD(wParam) == WA_INACTIVE) lastFocus_ = GetFocus();
      return 0;
    case WM_SETFOCUS:
      if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)) {
        SetFocus(lastFocus_);
      } else {
        SetFocus(Handle(FirstInTabOrder()));
      }
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_COPYDATA:
      return OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kOpenStartPaths: {
      // Taken once: the message cannot open them a second time.
      const std::vector<std::string> paths = std::move(startPaths_);
      startPaths_.clear();
      Take([&] { OpenGivenPaths(dispatcher_, *this, files_, paths); });
      return 0;
    }
    case WM_CLOSE:
      // Alt+F4, the taskbar, another program: while a command runs its boxes take this
      // too, and the close waits for the command to end (see Take).
      if (dispatcher_.RequestClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      // Log-off and shut-down wait too: an edit is not cut short between its boxes.
      return dispatcher_.Busy() ? FALSE : TRUE;
    case WM_ENDSESSION:
      // The session does end (Windows asked, or ends it whatever the answer): as a close.
      if (wParam && dispatcher_.RequestClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      // Not when creating the window failed: the quit would close start-up's box at once.
      if (created_) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

bool Win32MainWindow::CreateControls() {
  for (Control control : CreationOrder()) {
    const ControlRow& row = RowOf(control);
    if (row.accessibleName) {
      // A screen reader names a control that has no name of its own after the label just
      // before it in the Z-order, even a hidden one: this one shows nothing and takes no
      // place in the tab order.
      if (!CreateWindowExW(0, L"STATIC", Utf8ToWide(row.accessibleName).c_str(),
                           WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, hwnd_, nullptr,
                           instance_, nullptr)) {
        return false;
      }
    }
    const wchar_t* cls = L"BUTTON";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (row.visibleAtStart ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    switch (row.kind) {
      case ControlKind::Button:
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::Label:
        // One line, cut at the right edge: a long path never grows or wraps the label.
        cls = L"STATIC";
        style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        break;
      case ControlKind::Panel:
      case ControlKind::ScrollingPanel:
        // Read-only: the texts are fixed and nothing ever reads them back.
        cls = L"EDIT";
        style |= WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        if (row.kind == ControlKind::ScrollingPanel) style |= WS_VSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    }
    const PixelRect rect = ToPixels(row.twips, dpi_, dpi_);
    HWND hwnd = CreateWindowExW(exStyle, cls, Utf8ToWide(row.initialText).c_str(), style,
                                rect.left, rect.top, rect.width, rect.height, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                instance_, nullptr);
    if (!hwnd) return false;
    if ((row.kind == ControlKind::Panel || row.kind == ControlKind::ScrollingPanel) &&
        !SetWindowSubclass(hwnd, PanelProc, 0, 0)) {
      return false;
    }
    controls_[static_cast<int>(control)] = hwnd;
  }
  return true;
}

void Win32MainWindow::OnCommand(int id) {
  const ControlRow* row = RowWithId(id);
  if (row) Take([&] { dispatcher_.Click(row->control); });
}

void Win32MainWindow::OnDropFiles(HDROP drop) {
  // The paths are taken and the drop finished at once: the edit that follows shows boxes,
  // and the shell's memory is not held through them.
  Take([&] { OpenGivenPaths(dispatcher_, *this, files_, DroppedPaths(drop)); });
}

// Paths that a second start of Varnite hands over, taken exactly as a drop. The sender is
// answered before anything is opened, so it ends at once instead of waiting through the
// edit's boxes.
LRESULT Win32MainWindow::OnCopyData(const COPYDATASTRUCT& data) {
  const auto handed = DecodeHandOver(data.dwData, data.lpData, data.cbData);
  if (!handed) return FALSE;
  std::vector<std::string> paths;
  for (const std::u16string& path : *handed) {
    paths.push_back(WideToUtf8(std::wstring(path.begin(), path.end())));
  }
  ReplyMessage(TRUE);
  Take([&] { OpenGivenPaths(dispatcher_, *this, files_, paths); });
  return TRUE;
}

void Win32MainWindow::Take(const std::function<void()>& wayIn) {
  // Inside a running command, a way in is refused or dropped, and the command goes on.
  if (dispatcher_.Busy()) {
    wayIn();
    return;
  }
  const ShutdownBlock& block = FindShutdownBlock();
  if (block.create) block.create(hwnd_, L"Varnite is in the middle of editing a file.");
  ShowWorking(true);
  wayIn();
  ShowWorking(false);
  if (block.destroy) block.destroy(hwnd_);
  if (dispatcher_.Ended()) DestroyWindow(hwnd_);
}

// A scan of a cue sheet of some gigabytes takes seconds on this thread, with no message
// handled meanwhile; the cursor says so. Each box and the file dialog put the arrow back.
void Win32MainWindow::ShowWorking(bool working) {
  const WORD cursor = working ? 32514 : 32512;  // IDC_WAIT, IDC_ARROW
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
}

void Win32MainWindow::ApplyDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  HFONT oldUiFont = uiFont_, oldHelpFont = helpFont_;
  uiFont_ = CreateUiFont(dpi_);
  HFONT uiFont = uiFont_ ? uiFont_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlRow& row : kControlTable) {
    HWND control = Handle(row.control);
    if (row.control != Control::txtHelp) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont), FALSE);
    }
    LayOutControl(control, row, dpi_);
  }
  // Chosen to fit the help panel as it is laid out now.
  helpFont_ = SetHelpFont(Handle(Control::txtHelp), dpi_, uiFont);
  if (oldUiFont) DeleteObject(oldUiFont);
  if (oldHelpFont) DeleteObject(oldHelpFont);
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitClientArea();
  RebuildBackdrop();
}

// Windows scales the whole window for a new DPI, frame and all, so its suggestion may
// miss the client area's size by a pixel or two; the frame's size at the new DPI is known
// once the window has moved. The top-left corner stays where Windows put it.
void Win32MainWindow::FitClientArea() {
  if (IsIconic(hwnd_)) return;  // a minimized window has no client area to measure
  RECT window, client;
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  const int width = window.right - window.left, height = window.bottom - window.top;
  const int fitWidth = width - client.right + TwipsToPixels(kClientWidthTwips, dpi_);
  const int fitHeight = height - client.bottom + TwipsToPixels(kClientHeightTwips, dpi_);
  if (fitWidth != width || fitHeight != height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, fitWidth, fitHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32MainWindow::RebuildBackdrop() {
  backdrop_.Rebuild(instance_, TwipsToPixels(kClientWidthTwips, dpi_),
                    TwipsToPixels(kClientHeightTwips, dpi_), dpi_);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HBRUSH Win32MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  if (control == Handle(Control::txtAbout) || control == Handle(Control::txtHelp)) {
    // Read-only edit boxes ask here too; give them the ordinary text box colours.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  // A label fills its background with the slice of the backdrop it lies on, then draws
  // its letters over it: transparent to the eye, and a changed text never leaves old
  // letters.
  SetTextColor(dc, backdrop_.TextColour());
  SetBkMode(dc, TRANSPARENT);
  POINT origin = {0, 0};
  MapWindowPoints(control, hwnd_, &origin, 1);
  return backdrop_.BrushFor(dc, origin);
}

HWND Win32MainWindow::Handle(Control control) const {
  return controls_[static_cast<int>(control)];
}

std::string Win32MainWindow::Caption(Control control) const {
  return WideToUtf8(WindowText(Handle(control)));
}

void Win32MainWindow::SetCaption(Control control, const std::string& text) {
  SetWindowTextW(Handle(control), Utf8ToWide(text).c_str());
  // A label's width follows its text where the DPI leaves it short of room.
  const ControlRow& row = RowOf(control);
  if (row.kind == ControlKind::Label) LayOutControl(Handle(control), row, dpi_);
  UpdateWindow(Handle(control));
}

void Win32MainWindow::SetPanelVisible(Control panel, bool visible) {
  // The labels lie under the panels, and while either is shown they are hidden too: a
  // label grown past the panels' edge at a high DPI would show beside them. The panel
  // shows before the labels go and hides after they are back, so neither flickers.
  const Control other = panel == Control::txtAbout ? Control::txtHelp : Control::txtAbout;
  const bool otherShown = (GetWindowLongW(Handle(other), GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible) ShowWindow(Handle(panel), SW_SHOW);
  for (const ControlRow& row : kControlTable) {
    if (row.kind == ControlKind::Label) {
      ShowWindow(Handle(row.control), visible || otherShown ? SW_HIDE : SW_SHOW);
    }
  }
  if (!visible) ShowWindow(Handle(panel), SW_HIDE);
}

bool Win32MainWindow::ShowOpenDialog() {
  // Room for the longest path Windows has (32,767 characters and the NUL), so that a cue
  // sheet deeper than MAX_PATH comes back whole rather than failing the dialog.
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = L"*.Cue \0*.cue\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
              OFN_NOCHANGEDIR;
  ShowWorking(false);
  const bool chosen = OpenFileDialog(ofn);
  ShowWorking(true);
  // A cancel and a failure of the dialog both come back as false; the held path stays.
  if (!chosen) return false;
  chosenPath_ = file.data();
  return true;
}

std::string Win32MainWindow::ChosenPath() const { return WideToUtf8(chosenPath_); }

void Win32MainWindow::SetChosenPath(const std::string& path) { chosenPath_ = Utf8ToWide(path); }

void Win32MainWindow::ShowMessage(const Message& message) {
  UINT icon = 0;
  if (message.icon == MessageIcon::Information) icon = MB_ICONINFORMATION;
  if (message.icon == MessageIcon::Critical) icon = MB_ICONSTOP;
  ShowWorking(false);
  MessageBoxW(hwnd_, Utf8ToWide(message.text).c_str(), Utf8ToWide(message.title).c_str(),
              MB_OK | icon);
  ShowWorking(true);
}

void Win32MainWindow::Beep() { MessageBeep(MB_OK); }

}  // namespace varnite
