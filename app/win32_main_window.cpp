#include "app/win32_main_window.h"

#include <commctrl.h>

#include <vector>

#include "app/control_layout.h"
#include "app/help_font.h"
#include "app/shell_paths.h"
#include "app/system_libraries.h"
#include "fileio/system_function_win32.h"
#include "fileio/utf.h"
#include "resources/resource.h"
#include "window/event_wiring.h"

namespace varnite {
namespace {

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

// While a command runs, Windows Vista and later are told why the session should not end
// yet; the user who logs off sees the reason. Windows XP has no such calls: looked up.
struct ShutdownBlock {
  BOOL(WINAPI* create)(HWND, LPCWSTR) = nullptr;
  BOOL(WINAPI* destroy)(HWND) = nullptr;
};

const ShutdownBlock& FindShutdownBlock() {
  static const ShutdownBlock block = [] {
    ShutdownBlock found;
    found.create =
        SystemFunction<BOOL(WINAPI*)(HWND, LPCWSTR)>(L"user32.dll", "ShutdownBlockReasonCreate");
    found.destroy =
        SystemFunction<BOOL(WINAPI*)(HWND)>(L"user32.dll", "ShutdownBlockReasonDestroy");
    return found;
  }();
  return block;
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  int length = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

}  // namespace

Win32MainWindow::Win32MainWindow(HINSTANCE instance, FileSystem& files)
    : instance_(instance), files_(files), waysIn_(*this, *this, GivenPathsCommand(*this, files)) {
  WireClickHandlers(waysIn_.dispatcher(), *this, files_);
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
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VARNITE), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = VARNITE_WINDOW_CLASS;
  if (!RegisterClassExW(&wc)) return false;

  // The layout is in twips, so it follows the display's DPI as the fonts do; the program
  // declares itself DPI-aware, per display where Windows can, so Windows does not stretch
  // it a second time. It is made at the system's DPI, then laid out at the DPI of the
  // display it is on.
  dpi_ = WindowDpi(nullptr);
  uiFont_ = CreateUiFont(dpi_);

  // A fixed single border: a caption, the system menu and minimize, but no sizing.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, TwipsToPixels(kClientWidthTwips, dpi_),
                TwipsToPixels(kClientHeightTwips, dpi_)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  // WS_EX_ACCEPTFILES makes it a drop target for files from Explorer.
  hwnd_ =
      CreateWindowExW(WS_EX_ACCEPTFILES, VARNITE_WINDOW_CLASS, Utf8ToWide(kWindowCaption).c_str(),
                      style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;
  // The controls were made at the system's DPI; on a display of another, everything again.
  if (const int dpi = WindowDpi(hwnd_); dpi != dpi_) {
    ApplyDpi(dpi, nullptr);
  } else {
    FitClientArea();
    RebuildBackdrop();
  }
  AcceptDroppedFiles(hwnd_);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(Handle(FirstInTabOrder()));
  return true;
}

bool Win32MainWindow::Run(int& exitCode) {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got < 0) return false;  // a message too large to copy, say: the caller says so
    if (got == 0) {             // WM_QUIT: the window is gone
      exitCode = static_cast<int>(msg.wParam);
      return true;
    }
    if (ClickFocusedButtonOnReturn(msg)) continue;
    // The dialog manager gives the plain window tab navigation and keyboard clicks.
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32MainWindow::OpenWhenShown(std::vector<std::string> paths) {
  if (waysIn_.KeepStartPaths(std::move(paths))) PostMessageW(hwnd_, kOpenStartPaths, 0, 0);
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

void Win32MainWindow::BlockShutdown(const std::string& reason) {
  const ShutdownBlock& block = FindShutdownBlock();
  if (block.create) block.create(hwnd_, Utf8ToWide(reason).c_str());
}

void Win32MainWindow::UnblockShutdown() {
  const ShutdownBlock& block = FindShutdownBlock();
  if (block.destroy) block.destroy(hwnd_);
}

void Win32MainWindow::Close() { DestroyWindow(hwnd_); }

// A scan of a cue sheet of some gigabytes takes seconds on this thread, with no message
// handled meanwhile; the cursor says so. Each box and the file dialog put the arrow back.
void Win32MainWindow::ShowWorking(bool working) {
  const WORD cursor = working ? 32514 : 32512;  // IDC_WAIT, IDC_ARROW
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
}

void Win32MainWindow::ApplyDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  HFONT oldUiFont = uiFont_;
  uiFont_ = CreateUiFont(dpi_);
  for (const ControlRow& row : kControlTable) {
    if (Handle(row.control)) FitControl(row);  // one not made yet is made at the new DPI
  }
  if (oldUiFont) DeleteObject(oldUiFont);
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitClientArea();
  RebuildBackdrop();
}

void Win32MainWindow::FitControl(const ControlRow& row) {
  HWND control = Handle(row.control);
  HFONT uiFont = uiFont_ ? uiFont_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (row.control != Control::txtHelp) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont), FALSE);
  }
  LayOutControl(control, row, dpi_);
  if (row.control == Control::txtHelp) {
    // Chosen to fit the help panel as it is laid out now.
    HFONT oldHelpFont = helpFont_;
    helpFont_ = SetHelpFont(control, dpi_, uiFont);
    if (oldHelpFont) DeleteObject(oldHelpFont);
  }
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

LRESULT Win32MainWindow::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
  return reinterpret_cast<LRESULT>(
      LabelBrush(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
}

HBRUSH Win32MainWindow::LabelBrush(HDC dc, HWND control) {
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

HWND Win32MainWindow::Handle(Control control) const { return controls_[static_cast<int>(control)]; }

std::string Win32MainWindow::Caption(Control control) const {
  // One not made yet holds the text it will be made with.
  HWND hwnd = Handle(control);
  return hwnd ? WideToUtf8(WindowText(hwnd)) : RowOf(control).initialText;
}

void Win32MainWindow::SetCaption(Control control, const std::string& text) {
  HWND hwnd = Made(control);
  if (!hwnd) return;
  SetWindowTextW(hwnd, Utf8ToWide(text).c_str());
  // A label's width follows its text where the DPI leaves it short of room.
  const ControlRow& row = RowOf(control);
  if (row.kind == ControlKind::Label) LayOutControl(hwnd, row, dpi_);
  UpdateWindow(hwnd);
}

void Win32MainWindow::SetVisible(Control control, bool visible) {
  // One hidden at start is made when first shown, and needs no hiding before.
  HWND hwnd = visible ? Made(control) : Handle(control);
  if (hwnd) ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
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
  ofn.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
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
