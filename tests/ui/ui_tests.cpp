// End-to-end tests of Varnite.exe: each case starts the real program, works it as a
// user would and checks what the user sees and the bytes the program writes.
//   varnite_ui_tests CASE     runs one case; exit code 0 when it passed
//   varnite_ui_tests --list   names the cases
//   varnite_ui_tests --control   waits to be ended (the planting case's control program)
//   varnite_ui_tests --picture OUT.bmp [help|about]   saves a picture of the window
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dummyfile/dummy_file.h"
#include "fileio/utf.h"
#include "resources/resource.h"
#include "tests/ui/ui_driver.h"
#include "window/control_table.h"

namespace varnite::ui {
namespace {

const std::wstring kDummyFile = L"C:\\Varnite.PSX";

const wchar_t* ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return L"Button";
    case ControlKind::Label: return L"Static";
    case ControlKind::Panel:
    case ControlKind::ScrollingPanel: return L"Edit";
  }
  return L"?";
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

std::wstring Wide(const char* text) { return Utf8ToWide(text); }

void CheckFocusOn(Varnite& app, int id, const std::string& when) {
  HWND expected = app.Control(id);
  const DWORD start = GetTickCount();
  while (app.Focus() != expected && GetTickCount() - start < 5000) Sleep(25);
  CheckEq(app.Text(app.Focus()), app.Text(expected), "focus " + when);
}

// The window at start, as the control table describes it, at the display's DPI: the
// client area and every control scaled from twips, each control's class, text and
// visibility, the focus on the first control in tab order and the tab cycle through the
// shown controls that take the focus.
void StartUpState() {
  const int dpi = DisplayDpi();
  Varnite app;
  CheckEq(app.Text(app.window()), Wide(kWindowCaption), "window caption");
  RECT client;
  GetClientRect(app.window(), &client);
  CheckEq(client.right, TwipsToPixels(kClientWidthTwips, dpi), "client width");
  CheckEq(client.bottom, TwipsToPixels(kClientHeightTwips, dpi), "client height");
  LONG style = GetWindowLongW(app.window(), GWL_STYLE);
  Check(!(style & WS_THICKFRAME), "the border does not resize");
  Check(!(style & WS_MAXIMIZEBOX), "no maximize button");
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "a caption and close button");

  for (const ControlRow& row : kControlTable) {
    HWND hwnd = app.Control(row.id);
    const std::string name = row.name;
    Check(_wcsicmp(ClassOf(hwnd).c_str(), ClassFor(row.kind)) == 0,
          name + " is a " + Narrow(ClassFor(row.kind)));
    CheckEq(app.Text(hwnd), Wide(row.initialText), name + " text");
    const PixelRect expected = ToPixels(row.twips, dpi, dpi);
    RECT rc = app.ClientRectOf(row.id);
    CheckEq(rc.left, expected.left, name + " left");
    CheckEq(rc.top, expected.top, name + " top");
    CheckEq(rc.right, expected.right(), name + " right");
    CheckEq(rc.bottom, expected.bottom(), name + " bottom");
    Check(app.Visible(row.id) == row.visibleAtStart,
          name + (row.visibleAtStart ? " is shown" : " is hidden"));
    const bool scrolls = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL) != 0;
    Check(scrolls == (row.kind == ControlKind::ScrollingPanel),
          name + (scrolls ? " has a vertical scroll bar" : " has no vertical scroll bar"));
  }

  CheckFocusOn(app, RowOf(FirstInTabOrder()).id, "at start");
  // With both panels hidden the tab key visits the shown controls that take the focus, in
  // tab order, and comes round again.
  std::vector<int> cycle;
  for (Control control : CreationOrder()) {
    const ControlRow& row = RowOf(control);
    if (TakesFocus(row.kind) && row.visibleAtStart) cycle.push_back(row.id);
  }
  cycle.push_back(cycle.front());
  cycle.push_back(cycle[1]);
  for (std::size_t i = 1; i < cycle.size(); ++i) {
    app.PressKey(VK_TAB);
    CheckFocusOn(app, cycle[i], "after tab");
  }
}

// Once the last box of a click is closed: the dummy file's bytes and the row's captions.
void CheckAfterClick(Varnite& app, const std::string& form, long size, const wchar_t* button,
                     const wchar_t* label) {
  app.WaitForNoDialog();
  const std::string bytes = ReadFileBytes(kDummyFile);
  CheckEq(static_cast<long>(bytes.size()), size, "size of C:\\Varnite.PSX");
  Check(bytes == form, "C:\\Varnite.PSX holds the expected form byte for byte");
  CheckEq(app.Text(IDC_CMD_CREATE), button, "button caption");
  CheckEq(app.Text(IDC_LBL_CREATE), label, "label text");
}

void ExpectCreate(Varnite& app) {
  app.Click(IDC_CMD_CREATE);
  MessageBoxView first = app.WaitForMessageBox();
  CheckEq(first.text, L"This Will Create One Essential File On C:\\", "first box");
  Check(first.icon == BoxIcon::Information, "the first box shows the information icon");
  CheckEq(first.title, L"Varnite", "first box title");
  // The box announces the file before it is written.
  std::string before = PathExists(kDummyFile) ? ReadFileBytes(kDummyFile) : std::string();
  Check(before != DummyFileFullForm(), "nothing is written before the announcement is closed");
  app.CloseMessageBox(first);
  app.ExpectMessageBox(L"Dummy File Created On Drive C:", BoxIcon::Information);
  CheckAfterClick(app, DummyFileFullForm(), 2352, L"Modify", L"Hit Modify Once The CD Is Recording");
}

void ExpectModify(Varnite& app) {
  app.Click(IDC_CMD_CREATE);
  app.ExpectMessageBox(L"The Dummy File Has Been Modified", BoxIcon::Information);
  CheckAfterClick(app, DummyFileShortForm(), 482, L"Create File", L"Ready To Create File Again");
}

void CreateModifyCycles() {
  RemovePath(kDummyFile);
  Varnite app;
  for (int cycle = 0; cycle < 2; ++cycle) {
    ExpectCreate(app);
    ExpectModify(app);
  }
}

void WriteFailureKeepsRunning() {
  RemovePath(kDummyFile);
  Check(CreateDirectoryW(kDummyFile.c_str(), nullptr) != FALSE, "a folder stands in the way");
  Varnite app;
  app.Click(IDC_CMD_CREATE);
  app.ExpectMessageBox(L"This Will Create One Essential File On C:\\", BoxIcon::Information);
  app.ExpectMessageBox(
      L"The Dummy File Could Not Be Written To C:\\\r\n\r\nErr#: 75 - Path/File access error",
      BoxIcon::Stop);
  app.WaitForNoDialog();
  Check(app.Running(), "the program is still running");
  CheckEq(app.Text(IDC_CMD_CREATE), L"Create File", "button after the failure");
  CheckEq(app.Text(IDC_LBL_CREATE), Wide(RowOf(Control::lblCreate).initialText),
          "label after the failure");
  // Once the cause is gone, the same click works.
  RemovePath(kDummyFile);
  ExpectCreate(app);
  RemovePath(kDummyFile);
}

// ---- The cue sheet button ----

const std::string kSheet =
    "FILE \"album.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    INDEX 01 10:00:00\r\n";
// What one run appends after track 02, written out in full.
const std::string kAppended =
    "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 03 Audio\r\nPregap 00:10:00\r\n"
    "Index 01 00:00:00\r\n"
    "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 04 mode1/2352\r\nIndex 01 00:00:00\r\n"
    "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 05 mode2/2352\r\nIndex 01 00:00:00\r\n";

std::wstring FreshSheet(const std::wstring& folder, const std::string& bytes,
                        const std::wstring& name = L"album.cue") {
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring path = folder + L"\\" + name;
  RemovePath(path);
  WriteFileBytes(path, bytes);
  return path;
}

// From the moment `path` is chosen, however: the three track boxes, the last box, the
// label and the bytes.
void ExpectThreeTracksAdded(Varnite& app, const std::wstring& path) {
  for (const wchar_t* number : {L"03", L"04", L"05"}) {
    MessageBoxView box = app.WaitForMessageBox();
    CheckEq(app.Text(IDC_LBL_CUESHEET), path, "the label shows the chosen path");
    CheckEq(box.text, std::wstring(L"Track ") + number + L" has been added", "track box");
    CheckEq(box.title, L"Varnite", "track box title");
    Check(box.icon == BoxIcon::None, "a track box has no icon");
    app.CloseMessageBox(box);
  }
  app.ExpectMessageBox(L"Now Record The Image Back To CD Using The Same Cue Sheet",
                       BoxIcon::Information);
  app.WaitForNoDialog();
  CheckEq(app.Text(IDC_LBL_CUESHEET), L"Protection Tracks Have Been Added", "label at the end");
  Check(ReadFileBytes(path) == kSheet + kAppended,
        "the cue sheet holds its own bytes and then the three protection tracks");
}

void AppendsThreeTracks(const std::wstring& folder) {
  const std::wstring path = FreshSheet(folder, kSheet);
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  app.ChooseFile(path);
  ExpectThreeTracksAdded(app, path);
}

void CueSheetAppend() { AppendsThreeTracks(L"C:\\Cue Sheets"); }

// A folder whose name no ANSI code page holds all of: "Müsik Диск ♫".
void CueSheetUnicodeFolder() {
  AppendsThreeTracks(L"C:\\M\u00FCsik \u0414\u0438\u0441\u043A \u266B");
}

void CueSheetCancel() {
  const std::wstring path = FreshSheet(L"C:\\Cue Sheets", kSheet);
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  app.CancelFileDialog();
  app.ExpectMessageBox(L"Please Select A Cue Sheet", BoxIcon::Stop);
  app.WaitForNoDialog();
  CheckEq(app.Text(IDC_LBL_CUESHEET), L"There Was No CueSheet Selected", "label after a cancel");
  Check(ReadFileBytes(path) == kSheet, "the cue sheet is untouched");
}

void CueSheetReadOnly() {
  const std::wstring path = FreshSheet(L"C:\\Cue Sheets", kSheet);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  app.ChooseFile(path);
  app.ExpectMessageBox(L"Err#: 70 - Permission denied", BoxIcon::None);
  app.ExpectMessageBox(L"Err#: 70 - Permission denied", BoxIcon::None);
  app.ExpectMessageBox(
      L"The Cue Sheet Could Not Be Edited.\r\nErr#: 70 - Permission denied\r\n\r\n"
      L"No Protection Tracks Were Added.",
      BoxIcon::Stop);
  app.WaitForNoDialog();
  Check(app.Running(), "the program is still running");
  CheckEq(app.Text(IDC_LBL_CUESHEET), path, "the label is left as it was");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  Check(ReadFileBytes(path) == kSheet, "the cue sheet is untouched");
}

void CueSheetTooManyTracks() {
  const std::string sheet = "FILE \"a.bin\" BINARY\r\n  TRACK 98 AUDIO\r\n    INDEX 01 00:00:00\r\n";
  const std::wstring path = FreshSheet(L"C:\\Cue Sheets", sheet);
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  app.ChooseFile(path);
  app.ExpectMessageBox(
      L"This Cue Sheet Already Has Too Many Tracks To Take The Three Protection Tracks.\r\n"
      L"Its Last Track Is 98 And A CD Holds No More Than 99.\r\n\r\n"
      L"Nothing Was Added To The Cue Sheet.",
      BoxIcon::Stop);
  app.WaitForNoDialog();
  Check(ReadFileBytes(path) == sheet, "the cue sheet is untouched");
}

// ---- Cue sheets dropped on the window or named on the command line ----

const wchar_t kInitialCueSheetLabel[] = L"Select Your CDRwin CueSheet For Editing";
// Spaces, and letters no ANSI code page holds all of: "Müsik Диск ♫".
const std::wstring kUnicodeFolder = L"C:\\M\u00FCsik \u0414\u0438\u0441\u043A \u266B";

std::wstring NotACueSheet(const std::wstring& what, const std::wstring& path) {
  return L"Only A Cue Sheet (*.cue) Can Be Used.\r\n" + what + L":\r\n" + path +
         L"\r\n\r\nNothing Was Opened.";
}
const std::wstring kOneAtATime = L"Please Drop One Cue Sheet At A Time.\r\n\r\nNothing Was Opened.";

// Bytes no text file has, the size of a small disc image's first blocks.
std::string DiscImageBytes() {
  std::string bytes(256 * 1024, '\0');
  unsigned state = 12345;
  for (char& b : bytes) b = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  return bytes;
}

void DropOneSheet() {
  const std::wstring path = FreshSheet(kUnicodeFolder, kSheet, L"Disc \u266B One.cue");
  Varnite app;
  Check((GetWindowLongW(app.window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0,
        "the window takes files dropped from Explorer");
  app.Drop({path});
  ExpectThreeTracksAdded(app, path);
}

// Two cue sheets and a disc image, which a refused drop or command line leaves as they are.
struct RefusedFiles {
  const std::wstring first = FreshSheet(kUnicodeFolder, kSheet, L"first.cue");
  const std::wstring second = FreshSheet(kUnicodeFolder, kSheet, L"second.cue");
  const std::wstring image = FreshSheet(kUnicodeFolder, DiscImageBytes(), L"album.bin");

  void CheckUnchanged() const {
    Check(ReadFileBytes(first) == kSheet && ReadFileBytes(second) == kSheet,
          "both cue sheets keep their bytes");
    Check(ReadFileBytes(image) == DiscImageBytes(), "the disc image keeps its bytes");
  }
};

// Each row: what is dropped, and the one box it gets. Nothing is opened, so every file
// keeps its bytes and the label its text.
void DropRefused() {
  const RefusedFiles files;
  const std::wstring folder = kUnicodeFolder + L"\\Disc.cue";
  CreateDirectoryW(folder.c_str(), nullptr);
  const struct {
    std::vector<std::wstring> dropped;
    std::wstring box;
  } rows[] = {
      {{files.first, files.second}, kOneAtATime},
      {{files.image}, NotACueSheet(L"This File Is Not One", files.image)},
      {{folder}, NotACueSheet(L"This Is A Folder", folder)},
  };
  Varnite app;
  for (const auto& row : rows) {
    app.Drop(row.dropped);
    app.ExpectMessageBox(row.box, BoxIcon::Stop);
    app.WaitForNoDialog();
    CheckEq(app.Text(IDC_LBL_CUESHEET), kInitialCueSheetLabel, "the label stays");
  }
  files.CheckUnchanged();
  Check(GetFileAttributesW(folder.c_str()) == FILE_ATTRIBUTE_DIRECTORY &&
            RemoveDirectoryW(folder.c_str()) != FALSE,
        "the folder is still an empty folder");
}

// While the file dialog or a box is open a drop is refused (with the alert sound): it
// neither starts a second edit nor waits to start one later. Once the edit is over, the
// same drop works.
void DropWhileBusy() {
  const std::wstring chosen = FreshSheet(L"C:\\Cue Sheets", kSheet, L"chosen.cue");
  const std::wstring dropped = FreshSheet(kUnicodeFolder, kSheet, L"dropped.cue");
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  HWND dialog = app.WaitForFileDialog();
  app.Drop({dropped});
  Sleep(700);
  CheckEq(app.MessageBoxesOpen(), 0, "message boxes after a drop on the open dialog");
  Check(IsWindowVisible(dialog) != FALSE, "the file dialog stays open");
  app.ChooseFile(chosen);

  MessageBoxView box = app.WaitForMessageBox();
  CheckEq(box.text, L"Track 03 has been added", "first track box");
  app.Drop({dropped});
  Sleep(700);
  CheckEq(app.MessageBoxesOpen(), 1, "message boxes after a drop on an open box");
  CheckEq(app.Text(GetDlgItem(box.hwnd, 0xFFFF)), L"Track 03 has been added",
          "the open box is the same");
  CheckEq(app.Text(IDC_LBL_CUESHEET), chosen, "the label still shows the chosen sheet");
  app.CloseMessageBox(box);
  app.ExpectMessageBox(L"Track 04 has been added", BoxIcon::None);
  app.ExpectMessageBox(L"Track 05 has been added", BoxIcon::None);
  app.ExpectMessageBox(L"Now Record The Image Back To CD Using The Same Cue Sheet",
                       BoxIcon::Information);
  app.WaitForNoDialog();
  Sleep(1000);
  CheckEq(app.MessageBoxesOpen(), 0, "message boxes once the edit is over");
  Check(ReadFileBytes(chosen) == kSheet + kAppended, "the chosen sheet got its three tracks");
  Check(ReadFileBytes(dropped) == kSheet, "the sheet dropped meanwhile is untouched");

  app.Drop({dropped});
  ExpectThreeTracksAdded(app, dropped);
}

void CommandLineSheet() {
  const std::wstring path = FreshSheet(kUnicodeFolder, kSheet, L"Live Set \u0414.cue");
  Varnite app(L"\"" + path + L"\"");
  ExpectThreeTracksAdded(app, path);
}

// Relative to the folder Varnite starts in, as "Open with" from a command prompt gives it.
void CommandLineRelativePath() {
  const std::wstring path = FreshSheet(L"C:\\Cue Sheets", kSheet, L"Live Set.cue");
  Varnite app(L"\"Live Set.cue\"", L"C:\\Cue Sheets");
  ExpectThreeTracksAdded(app, path);
}

void CommandLineRefused() {
  const RefusedFiles files;
  const std::wstring missing = kUnicodeFolder + L"\\missing.cue";
  RemovePath(missing);
  const struct {
    std::wstring arguments;
    std::wstring box;
  } rows[] = {
      {L"\"" + files.first + L"\" \"" + files.second + L"\"", kOneAtATime},
      {L"\"" + files.image + L"\"", NotACueSheet(L"This File Is Not One", files.image)},
      {L"\"" + missing + L"\"",
       L"This Cue Sheet Cannot Be Found:\r\n" + missing + L"\r\n\r\nNothing Was Opened."},
  };
  for (const auto& row : rows) {
    Varnite app(row.arguments);
    app.ExpectMessageBox(row.box, BoxIcon::Stop);
    app.WaitForNoDialog();
    CheckEq(app.Text(IDC_LBL_CUESHEET), kInitialCueSheetLabel, "the label stays");
    Check(app.Running(), "the program goes on running");
  }
  files.CheckUnchanged();
  Check(!PathExists(missing), "the missing sheet is not created");
}

// ---- The About and Help panels ----

struct Toggle {
  int button, panel, label;
  const wchar_t* hidden;
  const wchar_t* shown;
  const wchar_t* reply;
};
const Toggle kAbout{IDC_CMD_ABOUT, IDC_TXT_ABOUT, IDC_LBL_ABOUT, L"About Varnite", L"Hide About",
                    L"Thankyou, You Are Very Kind"};
const Toggle kHelp{IDC_CMD_HELP, IDC_TXT_HELP, IDC_LBL_HELP, L"Help Please", L"Hide Help",
                   L"See Its Easy Huh ?"};

// The control a user sees at the middle of `id`: the topmost visible child there.
HWND SeenAt(Varnite& app, int id) {
  RECT rc = app.ClientRectOf(id);
  POINT middle = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  return ChildWindowFromPointEx(app.window(), middle, CWP_SKIPINVISIBLE);
}

void WaitForCaption(Varnite& app, int id, const wchar_t* text) {
  const DWORD start = GetTickCount();
  while (app.Text(id) != text && GetTickCount() - start < 5000) Sleep(25);
  CheckEq(app.Text(id), text, "caption of " + std::to_string(id));
}

void CheckShown(Varnite& app, const Toggle& t) {
  WaitForCaption(app, t.button, t.shown);
  Check(app.Visible(t.panel), "the panel is shown");
  CheckEq(app.Text(t.label), t.reply, "the label holds the reply underneath");
  for (const ControlRow& row : kControlTable) {
    if (row.kind == ControlKind::Label) {
      Check(SeenAt(app, row.id) == app.Control(t.panel) || SeenAt(app, row.id) != app.Control(row.id),
            std::string("a shown panel covers ") + row.name);
    } else if (row.kind == ControlKind::Button) {
      Check(SeenAt(app, row.id) == app.Control(row.id), std::string("no panel covers ") + row.name);
    }
  }
}

void CheckHidden(Varnite& app, const Toggle& t) {
  WaitForCaption(app, t.button, t.hidden);
  Check(!app.Visible(t.panel), "the panel is hidden");
  CheckEq(app.Text(t.label), t.reply, "the label shows the reply");
}

void PanelToggles(const Toggle& t, const Toggle& other) {
  Varnite app;
  const std::wstring otherLabel = app.Text(other.label);
  app.Click(t.button);
  CheckShown(app, t);
  app.Click(t.button);
  CheckHidden(app, t);
  Check(SeenAt(app, t.label) == app.Control(t.label), "the label is visible again");
  CheckEq(app.Text(other.button), other.hidden, "the other toggle is untouched");
  CheckEq(app.Text(other.label), otherLabel, "the other label is untouched");
  Check(!app.Visible(other.panel), "the other panel stays hidden");
}

void AboutToggle() { PanelToggles(kAbout, kHelp); }
void HelpToggle() { PanelToggles(kHelp, kAbout); }

void BothPanelsAndKeyboard() {
  Varnite app;
  // Space on the focused button works as a click: tab to "Help Please", press space.
  CheckFocusOn(app, IDC_CMD_CREATE, "at start");
  app.PressKey(VK_TAB);
  CheckFocusOn(app, IDC_CMD_HELP, "after one tab");
  app.PressKey(VK_SPACE);
  CheckShown(app, kHelp);
  app.Click(IDC_CMD_ABOUT);
  CheckShown(app, kAbout);
  Check(app.Visible(IDC_TXT_HELP), "both panels are shown");
  // With both shown, the tab cycle takes in the help panel after "CueSheet", then the
  // about panel.
  CheckFocusOn(app, IDC_CMD_ABOUT, "after a click on About");
  const int cycle[] = {IDC_CMD_EDIT, IDC_TXT_HELP, IDC_TXT_ABOUT, IDC_CMD_CREATE, IDC_CMD_HELP,
                       IDC_CMD_ABOUT};
  for (int id : cycle) {
    app.PressKey(VK_TAB);
    HWND expected = app.Control(id);
    const DWORD start = GetTickCount();
    while (app.Focus() != expected && GetTickCount() - start < 5000) Sleep(25);
    Check(app.Focus() == expected, "tab reaches control " + std::to_string(id));
    if (id == IDC_TXT_HELP || id == IDC_TXT_ABOUT) {
      // Tabbing into a panel leaves its text unselected.
      DWORD_PTR selection = 0;
      SendMessageTimeoutW(expected, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
      CheckEq(static_cast<long>(HIWORD(selection)), static_cast<long>(LOWORD(selection)),
              "end of the selection in panel " + std::to_string(id));
    }
  }
  // Hiding one leaves the other shown and its caption as it was.
  app.Click(IDC_CMD_HELP);
  CheckHidden(app, kHelp);
  Check(app.Visible(IDC_TXT_ABOUT), "the about panel stays shown");
  CheckEq(app.Text(IDC_CMD_ABOUT), L"Hide About", "the about caption stays");
}

void HelpScrollsToItsLastLine() {
  Varnite app;
  app.Click(IDC_CMD_HELP);
  CheckShown(app, kHelp);
  HWND help = app.Control(IDC_TXT_HELP);
  const std::wstring text = app.Text(help);
  const std::wstring last = L"       CD HAVE ALREADY BEEN WRITTEN !! \r\n";
  Check(text.size() > last.size() && text.compare(text.size() - last.size(), last.size(), last) == 0,
        "the help text ends with its last line");
  DWORD_PTR first = 0;
  SendMessageTimeoutW(help, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 5000, &first);
  CheckEq(static_cast<long>(first), 0, "the help text starts at its top");
  PostMessageW(help, WM_VSCROLL, SB_BOTTOM, 0);
  const DWORD start = GetTickCount();
  do {
    Sleep(50);
    SendMessageTimeoutW(help, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 5000, &first);
  } while (first == 0 && GetTickCount() - start < 5000);
  Check(first > 0, "the scroll bar brings the last lines into view");
}

// ---- DLLs planted beside the exe ----
//
// Windows looks for a DLL loaded by bare name in the exe's folder first, and Varnite runs
// with administrator rights. What Wine (8.0) can show of the hardening is the run-time
// part: a bare-name load made inside Varnite after start. So this case makes one, from a
// thread of its own, rather than waiting for Varnite to load something. Wine cannot show
// the load-time part: it ignores DependentLoadFlags (a DLL planted under the name of one a
// system DLL imports is loaded at start all the same). Nor does the run-time part reach the
// DLLs that Wine's own DLLs delay-load after start (msimg32, ole32): Wine resolves those
// through the process's first search path, which starts with the exe's folder.

// A folder like Downloads, where Varnite is started from among other people's files.
const std::wstring kDownloads = L"C:\\Downloads";
const wchar_t kControlReady[] = L"varnite-ui-control-ready";

struct PlantedDll {
  const wchar_t* name;
  bool inSystemFolder;  // whether the system folder holds a DLL of that name
};
const PlantedDll kPlanted[] = {
    // A Windows DLL that is not a KnownDLL: the usual search finds one beside the exe first.
    {L"dwmapi.dll", true},
    // A DLL Windows lacks but a program may try: only a planted one can answer.
    {L"varnite_phantom.dll", false},
};

std::wstring Marker(const PlantedDll& dll) { return kDownloads + L"\\" + dll.name + L".loaded"; }

// The exe of the process that loaded the planted DLL, from the DLL's record; "" if none did.
std::wstring LoadedBy(const PlantedDll& dll) {
  if (!PathExists(Marker(dll))) return L"";
  const std::string bytes = ReadFileBytes(Marker(dll));
  std::wstring exe(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(&exe[0], bytes.data(), exe.size() * sizeof(wchar_t));
  return exe.empty() ? L"(unknown)" : exe;
}

bool InSystemFolder(const std::wstring& path) {
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  wchar_t system[MAX_PATH] = {};
  if (GetSystemDirectoryW(system, MAX_PATH) && _wcsicmp(folder.c_str(), system) == 0) return true;
  // A 32-bit program on 64-bit Windows gets its system DLLs from SysWOW64.
  return GetSystemWow64DirectoryW(system, MAX_PATH) && _wcsicmp(folder.c_str(), system) == 0;
}

// Wine takes a DLL of a name it builds in from itself unless told otherwise; Windows
// ignores this variable. Programs started from here on inherit it.
void PreferPlantedDlls() {
  wchar_t current[1024] = {};
  std::wstring overrides =
      GetEnvironmentVariableW(L"WINEDLLOVERRIDES", current, 1024) ? current : L"";
  for (const auto& dll : kPlanted) {
    if (!dll.inSystemFolder) continue;
    const std::wstring name = dll.name;
    overrides += (overrides.empty() ? L"" : L";") + name.substr(0, name.find(L'.')) + L"=n,b";
  }
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str());
}

// A program without Varnite's hardening, started from the same folder: a copy of this
// driver in --control mode, which waits to be ended.
class ControlProgram {
 public:
  explicit ControlProgram(const std::wstring& exe) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kControlReady);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = L"\"" + exe + L"\" --control";
    const bool started = CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &si, &process_) != FALSE;
    const bool up = started && WaitForSingleObject(ready, 20000) == WAIT_OBJECT_0;
    CloseHandle(ready);
    if (!up) End();
    Check(up, "the control program starts from " + Narrow(exe));
  }
  ~ControlProgram() { End(); }
  ControlProgram(const ControlProgram&) = delete;
  ControlProgram& operator=(const ControlProgram&) = delete;
  HANDLE process() const { return process_.hProcess; }

 private:
  void End() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
  }
  PROCESS_INFORMATION process_{};
};

void PlantedDllsStayUnloaded() {
  CreateDirectoryW(kDownloads.c_str(), nullptr);
  const std::wstring varnite = kDownloads + L"\\Varnite.exe";
  const std::wstring control = kDownloads + L"\\varnite_ui_tests.exe";
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Check(CopyFileW((ProgramFolder() + L"\\Varnite.exe").c_str(), varnite.c_str(), FALSE) != FALSE,
        "Varnite.exe copied to " + Narrow(kDownloads));
  Check(CopyFileW(self, control.c_str(), FALSE) != FALSE, "the control program copied");
  for (const auto& dll : kPlanted) {
    RemovePath(Marker(dll));
    const std::wstring path = kDownloads + L"\\" + dll.name;
    Check(CopyFileW((ProgramFolder() + L"\\planted_dll.dll").c_str(), path.c_str(), FALSE) != FALSE,
          "planted " + Narrow(path));
  }
  PreferPlantedDlls();

  // Without the hardening, a program started from that folder loads every planted DLL:
  // so this case sees a planted load where there is one.
  {
    ControlProgram program(control);
    for (const auto& dll : kPlanted) {
      LoadDllInside(program.process(), dll.name);
      CheckEq(LoadedBy(dll), control,
              "the program without the hardening loaded the planted " + Narrow(dll.name));
      RemovePath(Marker(dll));
    }
  }

  // Varnite, started from there, never does: a load by bare name takes the system's DLL,
  // or finds none.
  Varnite app(L"", L"", varnite);
  for (const auto& dll : kPlanted) {
    const std::wstring loaded = LoadDllInside(app.process(), dll.name);
    CheckEq(LoadedBy(dll), L"", "the process that loaded the planted " + Narrow(dll.name));
    if (dll.inSystemFolder) {
      Check(InSystemFolder(loaded), Narrow(dll.name) + " comes from the system folder, not from \"" +
                                        Narrow(loaded) + "\"");
    } else {
      CheckEq(loaded, L"", Narrow(dll.name) + " is found nowhere");
    }
  }
  // And it works with them beside it: the file dialog opens, and a cancel is reported.
  app.Click(IDC_CMD_EDIT);
  app.CancelFileDialog();
  app.ExpectMessageBox(L"Please Select A Cue Sheet", BoxIcon::Stop);
  app.WaitForNoDialog();
  for (const auto& dll : kPlanted) {
    CheckEq(LoadedBy(dll), L"", "after the dialog, the process that loaded the planted " +
                                    Narrow(dll.name));
  }
}

// ---- The window at the display's DPI ----

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

// Each label's and button's text fits its control at this DPI as well as it does at 96:
// its width in the control's font, against the control's width, grows by no more than a
// rounding's worth. The font is the user-interface font at its 8 points; the letters on
// the screen are checked against the same text drawn here in that font, so a control
// drawn in another font or size fails.
void TextsFitTheirControls() {
  const int dpi = DisplayDpi();
  Varnite app;
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

    // The initial text's letters on the screen: white over the picture in a label, from its
    // left edge and cut at its right; dark on the face of a button, centred, clear of the
    // edges where the focus rectangle and the frame are drawn.
    const Ink expected = InkOf(here, Wide(control.initialText));
    Ink seen;
    const bool label = control.kind == ControlKind::Label;
    const int margin = label ? 0 : 6 * dpi / 96;
    for (int y = r.top + margin; y < r.bottom() - margin; ++y) {
      for (int x = r.left + margin; x < r.right() - margin; ++x) {
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
    if (label && expected.right < r.width - 1) {
      Check(std::abs(seen.left - expected.left) <= 1 && std::abs(seen.right - expected.right) <= 1,
            what + " from " + std::to_string(expected.left));
    } else if (label) {
      Check(seen.right >= r.width - 8, what + ", cut at the label's edge");
    } else {
      Check(std::abs((seen.right - seen.left) - (expected.right - expected.left)) <= 1, what);
    }
  }
  DeleteObject(here);
  DeleteObject(at96);
  ReleaseDC(nullptr, dc);
  std::printf("%s", report.c_str());
  Check(fits, "every text fits its control as well as at 96 DPI");
}

// The picture covers the whole client area, scaled to the DPI: every pixel that no button
// or label covers shows the gradient at its place in the scaled picture, away from the
// banner's and the footer's lettering; and each label shows its own slice of the scaled
// picture behind its letters.
void PictureCoversTheClientArea() {
  const int dpi = DisplayDpi();
  Varnite app;
  const Varnite::Pixels pixels = app.CaptureClientArea();
  CheckEq(pixels.width, TwipsToPixels(kClientWidthTwips, dpi), "client width");
  CheckEq(pixels.height, TwipsToPixels(kClientHeightTwips, dpi), "client height");
  auto scaled = [dpi](int px96) { return TwipsToPixels(px96 * 15, dpi); };
  // The lettering's boxes in the picture at 96 DPI, with a pixel or two of shadow and blur.
  const PixelRect banner = {scaled(8), scaled(13), scaled(308), scaled(29)};
  const PixelRect footer = {scaled(158), scaled(198), scaled(153), scaled(13)};
  std::vector<PixelRect> buttons, labels;
  for (const ControlRow& row : kControlTable) {
    if (row.kind == ControlKind::Button) buttons.push_back(ToPixels(row.twips, dpi, dpi));
    if (row.kind == ControlKind::Label) labels.push_back(ToPixels(row.twips, dpi, dpi));
  }
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
                         std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) +
                         "," + std::to_string(GetBValue(c)) + ", not the picture's colour there");
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

// ---- Keyboard and clicks ----

// Return clicks the focused button, however the focus got there: at start, after the
// boxes of a click close, after a mouse click and after Tab; one press is one click.
void ReturnClicksTheFocusedButton() {
  RemovePath(kDummyFile);
  Varnite app;
  const struct {
    const char* how;
    std::function<void()> bringFocus;
    int button;
    std::function<void()> expectClick;
  } steps[] = {
      {"at start", [] {}, IDC_CMD_CREATE,
       [&] {
         app.ExpectMessageBox(L"This Will Create One Essential File On C:\\", BoxIcon::Information);
         app.ExpectMessageBox(L"Dummy File Created On Drive C:", BoxIcon::Information);
         app.WaitForNoDialog();
         CheckEq(app.Text(IDC_CMD_CREATE), L"Modify", "the button after Return");
       }},
      {"after the boxes closed", [] {}, IDC_CMD_CREATE,
       [&] {
         app.ExpectMessageBox(L"The Dummy File Has Been Modified", BoxIcon::Information);
         app.WaitForNoDialog();
         CheckEq(app.Text(IDC_CMD_CREATE), L"Create File", "the button after Return");
       }},
      {"after a mouse click", [&] {
         app.MouseClick(IDC_CMD_HELP);
         WaitForCaption(app, IDC_CMD_HELP, L"Hide Help");
       },
       IDC_CMD_HELP, [&] { CheckHidden(app, kHelp); }},
      {"after Tab", [&] { app.PressKey(VK_TAB); }, IDC_CMD_ABOUT,
       [&] { CheckShown(app, kAbout); }},
  };
  for (const auto& step : steps) {
    step.bringFocus();
    CheckFocusOn(app, step.button, step.how);
    app.PressKey(VK_RETURN);
    step.expectClick();
  }
  // One press was one click each time: nothing more follows.
  Sleep(1000);
  Check(app.DialogCount() == 0, "no box follows");
  CheckEq(app.Text(IDC_CMD_ABOUT), L"Hide About", "About after one Return");
  CheckEq(app.Text(IDC_CMD_HELP), L"Help Please", "Help after one Return");
  RemovePath(kDummyFile);
}

// Two clicks queued back to back, as automation and accessibility tools send them, start
// one handler: the second arrives while the first one's box or dialog is open and is
// dropped, so there is one box or dialog at a time and nothing runs after the first flow.
void QueuedClicksStartOneHandler() {
  const struct {
    const char* name;
    int button;
    std::function<void(Varnite&)> flow;
    std::function<void(Varnite&)> after;
  } rows[] = {
      {"Create File", IDC_CMD_CREATE,
       [](Varnite& app) {
         MessageBoxView first = app.WaitForMessageBox();
         CheckEq(first.text, L"This Will Create One Essential File On C:\\", "first box");
         Sleep(700);  // time for the second click to arrive
         CheckEq(app.DialogCount(), 1, "boxes open at once");
         app.CloseMessageBox(first);
         app.ExpectMessageBox(L"Dummy File Created On Drive C:", BoxIcon::Information);
       },
       [](Varnite& app) {
         CheckEq(app.Text(IDC_CMD_CREATE), L"Modify", "the button after one flow");
         Check(ReadFileBytes(kDummyFile) == DummyFileFullForm(), "the full dummy file");
       }},
      {"CueSheet", IDC_CMD_EDIT,
       [](Varnite& app) {
         app.WaitForFileDialog();
         Sleep(700);
         CheckEq(app.DialogCount(), 1, "dialogs open at once");
         app.ChooseFile(L"C:\\Cue Sheets\\album.cue");
         for (const wchar_t* number : {L"03", L"04", L"05"}) {
           app.ExpectMessageBox(std::wstring(L"Track ") + number + L" has been added",
                                BoxIcon::None);
         }
         app.ExpectMessageBox(L"Now Record The Image Back To CD Using The Same Cue Sheet",
                              BoxIcon::Information);
       },
       [](Varnite& app) {
         CheckEq(app.Text(IDC_LBL_CUESHEET), L"Protection Tracks Have Been Added",
                 "the label after one flow");
         Check(ReadFileBytes(L"C:\\Cue Sheets\\album.cue") == kSheet + kAppended,
               "three protection tracks added once");
       }},
  };
  for (const auto& row : rows) {
    RemovePath(kDummyFile);
    FreshSheet(L"C:\\Cue Sheets", kSheet);
    Varnite app;
    app.Click(row.button);
    app.Click(row.button);
    row.flow(app);
    app.WaitForNoDialog();
    Sleep(1000);
    CheckEq(app.DialogCount(), 0, std::string("boxes after the ") + row.name + " flow");
    Check(IsWindowEnabled(app.window()) != FALSE, "the window takes input again");
    row.after(app);
  }
  RemovePath(kDummyFile);
}

const std::map<std::string, std::function<void()>>& Cases() {
  static const std::map<std::string, std::function<void()>> cases = {
      {"start_up_state", StartUpState},
      {"create_modify_cycles", CreateModifyCycles},
      {"write_failure_keeps_running", WriteFailureKeepsRunning},
      {"cuesheet_append", CueSheetAppend},
      {"cuesheet_unicode_folder", CueSheetUnicodeFolder},
      {"cuesheet_cancel", CueSheetCancel},
      {"cuesheet_read_only", CueSheetReadOnly},
      {"cuesheet_too_many_tracks", CueSheetTooManyTracks},
      {"drop_one_sheet", DropOneSheet},
      {"drop_refused", DropRefused},
      {"drop_while_busy", DropWhileBusy},
      {"command_line_sheet", CommandLineSheet},
      {"command_line_relative_path", CommandLineRelativePath},
      {"command_line_refused", CommandLineRefused},
      {"about_toggle", AboutToggle},
      {"help_toggle", HelpToggle},
      {"both_panels_and_keyboard", BothPanelsAndKeyboard},
      {"help_scrolls_to_its_last_line", HelpScrollsToItsLastLine},
      {"planted_dlls_stay_unloaded", PlantedDllsStayUnloaded},
      {"texts_fit_their_controls", TextsFitTheirControls},
      {"picture_covers_the_client_area", PictureCoversTheClientArea},
      {"return_clicks_the_focused_button", ReturnClicksTheFocusedButton},
      {"queued_clicks_start_one_handler", QueuedClicksStartOneHandler},
  };
  return cases;
}

}  // namespace
}  // namespace varnite::ui

namespace varnite::ui {
namespace {

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

// For the README: the window at start, or with a panel open.
int Pose(const char* path, const char* panel) {
  Varnite app;
  if (panel && std::strcmp(panel, "help") == 0) app.Click(IDC_CMD_HELP);
  if (panel && std::strcmp(panel, "about") == 0) app.Click(IDC_CMD_ABOUT);
  Sleep(1500);
  SaveWindowPicture(app.window(), path);
  return 0;
}

}  // namespace
}  // namespace varnite::ui

int main(int argc, char** argv) {
  using namespace varnite::ui;
  // Positions and sizes in real pixels, as the DPI-aware program sees them, on a Windows
  // that would otherwise scale them for this driver (Vista and later; absent before).
  using SetAware = BOOL(WINAPI*)();
  if (auto setAware = reinterpret_cast<SetAware>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")))) {
    setAware();
  }
  if (argc >= 3 && std::strcmp(argv[1], "--picture") == 0) {
    try {
      return Pose(argv[2], argc >= 4 ? argv[3] : nullptr);
    } catch (const CheckFailure& failure) {
      std::fprintf(stderr, "%s\n", failure.what.c_str());
      return 1;
    }
  }
  if (argc == 2 && std::strcmp(argv[1], "--control") == 0) {
    // The program without the hardening for planted_dlls_stay_unloaded: says it is up,
    // then waits to be ended.
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kControlReady);
    if (!ready) return 1;
    SetEvent(ready);
    CloseHandle(ready);
    Sleep(120000);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const auto& entry : Cases()) std::printf("%s\n", entry.first.c_str());
    return 0;
  }
  if (argc != 2 || !Cases().count(argv[1])) {
    std::fprintf(stderr, "usage: varnite_ui_tests CASE | --list\n");
    return 2;
  }
  std::printf("[ RUN      ] %s\n", argv[1]);
  try {
    Cases().at(argv[1])();
  } catch (const CheckFailure& failure) {
    std::printf("[  FAILED  ] %s: %s\n", argv[1], failure.what.c_str());
    return 1;
  }
  std::printf("[       OK ] %s\n", argv[1]);
  return 0;
}
