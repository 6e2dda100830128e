// End-to-end tests of Varnite.exe: each case starts the real program, works it as a
// user would and checks what the user sees and the bytes the program writes.
//   varnite_ui_tests CASE     runs one case; exit code 0 when it passed
//   varnite_ui_tests --list   names the cases
//   varnite_ui_tests --control   waits to be ended (the planting case's control program)
//   varnite_ui_tests --picture OUT.bmp [help|about]   saves a picture of the window
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dummyfile/dummy_file.h"
#include "resources/resource.h"
#include "tests/ui/ui_driver.h"

namespace varnite::ui {
namespace {

const std::wstring kDummyFile = L"C:\\Varnite.PSX";

struct ControlExpectation {
  int id;
  const wchar_t* cls;
  const wchar_t* text;  // nullptr: not checked (the panels' long texts)
  RECT rect;            // left, top, right, bottom in client pixels
  bool visible;
};

// The window at start, as the user must find it.
const ControlExpectation kStartUp[] = {
    {IDC_CMD_CREATE, L"Button", L"Create File", {8, 48, 97, 73}, true},
    {IDC_LBL_CREATE, L"Static", L"This Will Create A Dummy File On Drive C:", {112, 48, 313, 65}, true},
    {IDC_CMD_EDIT, L"Button", L"CueSheet", {8, 80, 97, 105}, true},
    {IDC_LBL_CUESHEET, L"Static", L"Select Your CDRwin CueSheet For Editing", {112, 80, 313, 97}, true},
    {IDC_CMD_HELP, L"Button", L"Help Please", {8, 112, 97, 137}, true},
    {IDC_LBL_HELP, L"Static", L"How The Hell Do I Work This Program ?", {112, 112, 313, 129}, true},
    {IDC_CMD_ABOUT, L"Button", L"About Varnite", {8, 144, 97, 169}, true},
    {IDC_LBL_ABOUT, L"Static", L"Its Polite To Read The About Bit Yer Know !", {112, 144, 321, 161}, true},
    {IDC_TXT_ABOUT, L"Edit", nullptr, {112, 48, 321, 169}, false},
    {IDC_TXT_HELP, L"Edit", nullptr, {112, 48, 321, 169}, false},
};

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

void CheckFocusOn(Varnite& app, int id, const std::string& when) {
  HWND expected = app.Control(id);
  const DWORD start = GetTickCount();
  while (app.Focus() != expected && GetTickCount() - start < 5000) Sleep(25);
  CheckEq(app.Text(app.Focus()), app.Text(expected), "focus " + when);
}

void StartUpState() {
  Varnite app;
  CheckEq(app.Text(app.window()), L"Varnite From Quenmore 2000.", "window caption");
  RECT client;
  GetClientRect(app.window(), &client);
  CheckEq(client.right, 327, "client width");
  CheckEq(client.bottom, 216, "client height");
  LONG style = GetWindowLongW(app.window(), GWL_STYLE);
  Check(!(style & WS_THICKFRAME), "the border does not resize");
  Check(!(style & WS_MAXIMIZEBOX), "no maximize button");
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "a caption and close button");

  for (const auto& c : kStartUp) {
    HWND hwnd = app.Control(c.id);
    const std::string name = "control " + std::to_string(c.id);
    Check(ClassOf(hwnd) == c.cls || _wcsicmp(ClassOf(hwnd).c_str(), c.cls) == 0,
          name + " is a " + Narrow(c.cls));
    if (c.text) CheckEq(app.Text(hwnd), c.text, name + " text");
    RECT rc = app.ClientRectOf(c.id);
    CheckEq(rc.left, c.rect.left, name + " left");
    CheckEq(rc.top, c.rect.top, name + " top");
    CheckEq(rc.right, c.rect.right, name + " right");
    CheckEq(rc.bottom, c.rect.bottom, name + " bottom");
    Check(app.Visible(c.id) == c.visible, name + (c.visible ? " is shown" : " is hidden"));
  }
  Check((GetWindowLongW(app.Control(IDC_TXT_HELP), GWL_STYLE) & WS_VSCROLL) != 0,
        "the help panel has a vertical scroll bar");
  Check((GetWindowLongW(app.Control(IDC_TXT_ABOUT), GWL_STYLE) & WS_VSCROLL) == 0,
        "the about panel has no scroll bar");

  CheckFocusOn(app, IDC_CMD_CREATE, "at start");
  // With both panels hidden the tab key visits the four buttons only, in this order.
  const int cycle[] = {IDC_CMD_HELP, IDC_CMD_ABOUT, IDC_CMD_EDIT, IDC_CMD_CREATE, IDC_CMD_HELP};
  for (int id : cycle) {
    app.PressKey(VK_TAB);
    CheckFocusOn(app, id, "after tab");
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
  CheckEq(app.Text(IDC_LBL_CREATE), L"This Will Create A Dummy File On Drive C:",
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
const int kLabels[] = {IDC_LBL_CREATE, IDC_LBL_CUESHEET, IDC_LBL_HELP, IDC_LBL_ABOUT};
const int kButtons[] = {IDC_CMD_CREATE, IDC_CMD_EDIT, IDC_CMD_HELP, IDC_CMD_ABOUT};

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
  for (int label : kLabels) Check(SeenAt(app, label) == app.Control(t.panel) ||
                                  SeenAt(app, label) != app.Control(label),
                                  "a shown panel covers label " + std::to_string(label));
  for (int button : kButtons) Check(SeenAt(app, button) == app.Control(button),
                                    "no panel covers button " + std::to_string(button));
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
