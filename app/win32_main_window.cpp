#include "app/win32_main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <exception>
#include <vector>

#include "app/event_wiring.h"
#include "app/shell_paths.h"
#include "window/panels.h"
#include "fileio/operation_error.h"
#include "fileio/utf.h"
#include "resources/resource.h"

namespace varnite {
namespace {

// Posted to the window once it is shown, to open the paths of the command line.
constexpr UINT kOpenStartPaths = WM_APP + 1;

constexpr wchar_t kWindowCaption[] = L"Varnite From Quenmore 2000.";
constexpr int kClientWidth = 327;   // 4905 twips
constexpr int kClientHeight = 216;  // 3240 twips
constexpr int kPictureWidth = 326;
constexpr COLORREF kPictureEdge = RGB(0, 0, 3);  // the picture's darkest colour

enum class Kind { Button, Label, Panel, ScrollingPanel };

struct ControlSpec {
  Control control;
  int id;
  Kind kind;
  const wchar_t* text;  // nullptr: a panel, whose text comes from the panel texts
  int x, y, width, height;
};

// In creation order, which is also the Z-order from the top: the buttons in their tab
// order, then the panels (help over about when both are shown), then the labels at the
// bottom, so a shown panel covers them. Labels never take the focus, so their place in
// the Z-order does not change the tab cycle.
const ControlSpec kControls[] = {
    {Control::cmdCreate, IDC_CMD_CREATE, Kind::Button, L"Create File", 8, 48, 89, 25},
    {Control::cmdHelp, IDC_CMD_HELP, Kind::Button, L"Help Please", 8, 112, 89, 25},
    {Control::cmdAbout, IDC_CMD_ABOUT, Kind::Button, L"About Varnite", 8, 144, 89, 25},
    {Control::cmdEdit, IDC_CMD_EDIT, Kind::Button, L"CueSheet", 8, 80, 89, 25},
    {Control::txtHelp, IDC_TXT_HELP, Kind::ScrollingPanel, nullptr, 112, 48, 209, 121},
    {Control::txtAbout, IDC_TXT_ABOUT, Kind::Panel, nullptr, 112, 48, 209, 121},
    {Control::lblCreate, IDC_LBL_CREATE, Kind::Label,
     L"This Will Create A Dummy File On Drive C:", 112, 48, 201, 17},
    {Control::lblCueSheet, IDC_LBL_CUESHEET, Kind::Label,
     L"Select Your CDRwin CueSheet For Editing", 112, 80, 201, 17},
    {Control::lblHelp, IDC_LBL_HELP, Kind::Label, L"How The Hell Do I Work This Program ?", 112,
     112, 201, 17},
    {Control::lblAbout, IDC_LBL_ABOUT, Kind::Label,
     L"Its Polite To Read The About Bit Yer Know !", 112, 144, 209, 17},
};

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool FontInstalled(const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// The help panel's face: "MS Serif" at 6.75 points; where it is missing, another serif
// face of the same size rather than whatever the font mapper would pick.
HFONT CreateHelpFont() {
  HDC dc = GetDC(nullptr);
  int height = -MulDiv(675, GetDeviceCaps(dc, LOGPIXELSY), 7200);
  ReleaseDC(nullptr, dc);
  const wchar_t* face = L"MS Serif";
  if (!FontInstalled(face)) face = FontInstalled(L"Times New Roman") ? L"Times New Roman" : L"";
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     VARIABLE_PITCH | FF_ROMAN, face);
}

// The panels are read-only, so they have no use for the Tab key; without this a multi-line
// edit keeps Tab for itself and the keyboard user could not leave a shown panel.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
  if (message == WM_GETDLGCODE) result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return result;
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
  if (backgroundBrush_) DeleteObject(backgroundBrush_);
  if (background_) DeleteObject(background_);
  if (helpFont_) DeleteObject(helpFont_);
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

  background_ = static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
  if (background_) backgroundBrush_ = CreatePatternBrush(background_);
  helpFont_ = CreateHelpFont();

  // A fixed single border: a caption, the system menu and minimize, but no sizing.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, VARNITE_WINDOW_CLASS, kWindowCaption, style, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                          nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;
  AcceptDroppedFiles(hwnd_);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(Handle(Control::cmdCreate));
  return true;
}

int Win32MainWindow::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // The dialog manager gives the plain window tab navigation and keyboard clicks.
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void Win32MainWindow::OpenWhenShown(std::vector<std::string> paths) {
  startPaths_ = std::move(paths);
  if (!startPaths_.empty()) PostMessageW(hwnd_, kOpenStartPaths, 0, 0);
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
      CreateControls();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) OnCommand(LOWORD(wParam));
      return 0;
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return 1;
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
        SetFocus(Handle(Control::cmdCreate));
      }
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case kOpenStartPaths: {
      // Taken once: the message cannot open them a second time.
      const std::vector<std::string> paths = std::move(startPaths_);
      startPaths_.clear();
      RunCommand([&] { OpenGivenPaths(dispatcher_, *this, files_, paths); });
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void Win32MainWindow::CreateControls() {
  HFONT uiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& row : kControls) {
    const wchar_t* cls = L"BUTTON";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    std::wstring text = row.text ? row.text : L"";
    switch (row.kind) {
      case Kind::Button:
        style |= WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case Kind::Label:
        // One line, cut at the right edge: a long path never grows or wraps the label.
        cls = L"STATIC";
        style |= WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        break;
      case Kind::Panel:
      case Kind::ScrollingPanel:
        // Read-only: the texts are fixed and nothing ever reads them back.
        cls = L"EDIT";
        style |= WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        if (row.kind == Kind::ScrollingPanel) style |= WS_VSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        text = Utf8ToWide(row.control == Control::txtHelp ? kHelpText : kAboutText);
        break;
    }
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, row.x, row.y, row.width,
                                row.height, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                instance_, nullptr);
    SendMessageW(hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(row.control == Control::txtHelp && helpFont_
                                              ? helpFont_
                                              : uiFont),
                 FALSE);
    if (row.kind == Kind::Panel || row.kind == Kind::ScrollingPanel) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PanelProc));
    }
    controls_[static_cast<int>(row.control)] = hwnd;
  }
}

void Win32MainWindow::OnCommand(int id) {
  const ControlSpec* row = nullptr;
  for (const ControlSpec& spec : kControls) {
    if (spec.id == id) row = &spec;
  }
  if (!row) return;
  RunCommand([&] { dispatcher_.Click(row->control); });
}

void Win32MainWindow::OnDropFiles(HDROP drop) {
  // The paths are taken and the drop finished at once: the edit that follows shows boxes,
  // and the shell's memory is not held through them.
  const std::vector<std::string> paths = DroppedPaths(drop);
  RunCommand([&] { OpenGivenPaths(dispatcher_, *this, files_, paths); });
}

void Win32MainWindow::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const OperationError& error) {
    // A failure no handler expected: say what it was and end, as nothing can be trusted.
    ShowMessage({"Run-time error '" + std::to_string(error.code()) + "':\r\n\r\n" +
                     error.description(),
                 MessageIcon::Critical});
    DestroyWindow(hwnd_);
  } catch (const std::exception& error) {
    ShowMessage({std::string("Run-time error '51':\r\n\r\nInternal error: ") + error.what(),
                 MessageIcon::Critical});
    DestroyWindow(hwnd_);
  }
}

void Win32MainWindow::PaintBackground(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  if (backgroundBrush_) {
    // The picture at its own size from the top-left corner; the column it leaves
    // uncovered at the right takes its darkest colour.
    RECT picture = {0, 0, kPictureWidth, client.bottom};
    SetBrushOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &picture, backgroundBrush_);
    client.left = kPictureWidth;
  }
  HBRUSH edge = CreateSolidBrush(kPictureEdge);
  FillRect(dc, &client, edge);
  DeleteObject(edge);
}

HBRUSH Win32MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  if (control == Handle(Control::txtAbout) || control == Handle(Control::txtHelp)) {
    // Read-only edit boxes ask here too; give them the ordinary text box colours.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  // A label paints the part of the picture it lies on, then its letters without a
  // background: transparent to the eye, and a changed text never leaves old letters.
  SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  SetBkMode(dc, TRANSPARENT);
  if (!backgroundBrush_) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  RECT rc;
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rc), 2);
  SetBrushOrgEx(dc, -rc.left, -rc.top, nullptr);
  return backgroundBrush_;
}

HWND Win32MainWindow::Handle(Control control) const {
  return controls_[static_cast<int>(control)];
}

std::string Win32MainWindow::Caption(Control control) const {
  return WideToUtf8(WindowText(Handle(control)));
}

void Win32MainWindow::SetCaption(Control control, const std::string& text) {
  SetWindowTextW(Handle(control), Utf8ToWide(text).c_str());
  UpdateWindow(Handle(control));
}

void Win32MainWindow::SetPanelVisible(Control panel, bool visible) {
  ShowWindow(Handle(panel), visible ? SW_SHOW : SW_HIDE);
}

bool Win32MainWindow::ShowOpenDialog() {
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
  // A cancel and a failure of the dialog both come back as false; the held path stays.
  if (!GetOpenFileNameW(&ofn)) return false;
  chosenPath_ = file.data();
  return true;
}

std::string Win32MainWindow::ChosenPath() const { return WideToUtf8(chosenPath_); }

void Win32MainWindow::SetChosenPath(const std::string& path) { chosenPath_ = Utf8ToWide(path); }

void Win32MainWindow::ShowMessage(const Message& message) {
  UINT icon = 0;
  if (message.icon == MessageIcon::Information) icon = MB_ICONINFORMATION;
  if (message.icon == MessageIcon::Critical) icon = MB_ICONSTOP;
  MessageBoxW(hwnd_, Utf8ToWide(message.text).c_str(), Utf8ToWide(message.title).c_str(),
              MB_OK | icon);
}

void Win32MainWindow::Beep() { MessageBeep(MB_OK); }

}  // namespace varnite
