// End-to-end cases of cue sheets, whichever way they reach Varnite: the CueSheet button's
// file dialog, a drop on the window, the command line, a second start. Three tables
// (sheets that get their tracks, sheets that are refused, input that arrives while an edit
// is under way) run each row through every way in it names; then the dialog's cancel and
// a read-only sheet.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/ui/ui_driver.h"

namespace varnite::ui {
namespace {

const wchar_t kInitialCueSheetLabel[] = L"Select Your CDRwin CueSheet For Editing";
const std::wstring kPlainFolder = L"C:\\Cue Sheets";
// Spaces, and letters no ANSI code page holds all of: "Müsik Диск ♫".
const std::wstring kUnicodeFolder = L"C:\\M\u00FCsik \u0414\u0438\u0441\u043A \u266B";
// More than 300 characters with the sheet's name: deeper than a plain Windows path goes.
const std::wstring kDeepFolder =
    kPlainFolder + L"\\" + std::wstring(140, L'd') + L"\\" + std::wstring(140, L'e');

// ---- The ways in ----
//
// To add one: a bit and a name here, and how it hands over the paths in OpenBy.
enum WayIn : unsigned {
  kDialog = 1,               // CueSheet clicked, the path typed into the file dialog
  kDrop = 2,                 // dropped on the window as from Explorer
  kCommandLine = 4,          // the full paths on the command line ("Open with")
  kCommandLineRelative = 8,  // the names alone, Varnite started in their folder
  kSecondStart = 16,         // the full paths on the command line of a second Varnite
};
const struct {
  WayIn way;
  const char* name;
} kWaysIn[] = {{kDialog, "dialog"},
               {kDrop, "drop"},
               {kCommandLine, "command_line"},
               {kCommandLineRelative, "command_line_relative"},
               {kSecondStart, "second_start"}};

std::wstring Quoted(const std::vector<std::wstring>& paths) {
  std::wstring arguments;
  for (const std::wstring& path : paths)
    arguments += (arguments.empty() ? L"\"" : L" \"") + path + L"\"";
  return arguments;
}

// Starts Varnite and hands it `paths` by `way`; returns as soon as they are handed over.
std::unique_ptr<Varnite> OpenBy(WayIn way, const std::vector<std::wstring>& paths) {
  switch (way) {
    case kDialog: {
      Check(paths.size() == 1, "the file dialog takes one path");
      auto app = std::make_unique<Varnite>();
      app->Click(IDC_CMD_EDIT);
      app->ChooseFile(paths.front());
      return app;
    }
    case kDrop: {
      auto app = std::make_unique<Varnite>();
      Check((GetWindowLongW(app->window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0,
            "the window takes files dropped from Explorer");
      app->Drop(paths);
      return app;
    }
    case kCommandLine:
      return std::make_unique<Varnite>(Quoted(paths));
    case kCommandLineRelative: {
      const std::wstring& first = paths.front();
      const std::wstring folder = first.substr(0, first.find_last_of(L'\\'));
      std::vector<std::wstring> names;
      for (const std::wstring& path : paths) {
        Check(path.compare(0, folder.size() + 1, folder + L"\\") == 0,
              "the paths share one folder");
        names.push_back(path.substr(folder.size() + 1));
      }
      return std::make_unique<Varnite>(Quoted(names), folder);
    }
    case kSecondStart: {
      // The second hands the paths to the first and ends: one Varnite is left.
      auto app = std::make_unique<Varnite>();
      StartAgain(Quoted(paths));
      return app;
    }
  }
  throw CheckFailure{"no such way in"};
}

// Runs `body` as the row "<way>.<name>" for each way in `ways`.
void ForEachWay(unsigned ways, const std::string& name, const std::function<void(WayIn)>& body) {
  for (const auto& way : kWaysIn) {
    if (ways & way.way) Row(way.name + ("." + name), [&] { body(way.way); });
  }
}

// ---- Refused sheets ----

std::wstring NotACueSheet(const std::wstring& what, const std::wstring& path) {
  return L"Only A Cue Sheet (*.cue) Can Be Used.\r\n" + what + L":\r\n" + path +
         L"\r\n\r\nNothing Was Opened.";
}
const std::wstring kOneAtATime = L"Please Drop One Cue Sheet At A Time.\r\n\r\nNothing Was Opened.";
const std::string kFullSheet =
    "FILE \"a.bin\" BINARY\r\n  TRACK 98 AUDIO\r\n    INDEX 01 00:00:00\r\n";

const std::string kNegativeSheet = "FILE \"a.bin\" BINARY\r\n  TRACK -4 AUDIO\r\n";
const std::string kToc = "CD_DA\r\n\r\nTRACK AUDIO\r\nFILE \"album.bin\" 0\r\n";

// The usual sheet saved as UTF-16 without a byte order mark.
std::string Utf16Sheet() {
  std::string wide;
  for (char c : kSheet) wide += std::string{c, '\0'};
  return wide;
}

// What a refused sheet's box says of a byte no text holds, and where it is.
std::wstring NotText(const std::wstring& what, std::size_t offset) {
  return L"This File Is Not A Text File: It Holds " + what + L" At Offset " +
         std::to_wstring(offset) +
         L" (Counting From 0).\r\nA Disc Image Or Other Binary File Holds Such Bytes; A Cue "
         L"Sheet Saved As Unicode Text Holds NUL Bytes Too.\r\nIf It Is A Cue Sheet, Save It As "
         L"ANSI Text First, Then Select It Again.\r\n\r\nNothing Was Added To The Cue Sheet.";
}
std::wstring TooManyTracks(const std::wstring& last) {
  return L"This Cue Sheet Already Has Too Many Tracks To Take The Three Protection Tracks.\r\n"
         L"Its Last Track Is " +
         last +
         L" And A CD Holds No More Than 99.\r\n\r\n"
         L"Nothing Was Added To The Cue Sheet.";
}

// Bytes no text file has, the size of a small disc image's first blocks.
std::string DiscImageBytes() {
  std::string bytes(256 * 1024, '\0');
  unsigned state = 12345;
  for (char& b : bytes) b = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  return bytes;
}

// A disc image named .cue: text for its first 4 KiB and more, then its first NUL.
std::string LateNulImage() { return kSheet + std::string(5000, ' ') + '\0' + DiscImageBytes(); }
// A binary file with no NUL at all: an ISO 9660 signature, then a control byte.
std::string NulLessBinary() {
  std::string bytes = DiscImageBytes();
  for (char& b : bytes) b = b == '\0' ? '\x01' : b;
  return "CD001\x03" + bytes;
}
const std::string kTrack100 = "FILE \"a.bin\" BINARY\r\n  TRACK 100 AUDIO\r\n";
const std::string kTrack123 = "FILE \"a.bin\" BINARY\r\n  TRACK 123 AUDIO\r\n";
// 200 characters and not one blank, where a box could break its line.
const std::wstring kLongImage = L"C:\\Discs\\" + std::wstring(187, L'x') + L".bin";

// What the refusal rows offer: every file with the bytes it must keep, a folder named like
// a sheet, and a sheet that does not exist.
struct RefusalFiles {
  struct File {
    std::wstring path;
    std::string bytes;
  };
  const std::vector<File> files = {
      {FreshSheet(kUnicodeFolder, kSheet, L"first.cue"), kSheet},
      {FreshSheet(kUnicodeFolder, kSheet, L"second.cue"), kSheet},
      {FreshSheet(kUnicodeFolder, DiscImageBytes(), L"Disc Image.bin"), DiscImageBytes()},
      {FreshSheet(kPlainFolder, kFullSheet, L"full.cue"), kFullSheet},
      {FreshSheet(kPlainFolder, kToc, L"album.toc"), kToc},
      {FreshSheet(kPlainFolder, kNegativeSheet, L"negative.cue"), kNegativeSheet},
      {FreshSheet(kPlainFolder, Utf16Sheet(), L"unicode.cue"), Utf16Sheet()},
      {FreshSheet(kUnicodeFolder, LateNulImage(), L"image.cue"), LateNulImage()},
      {FreshSheet(kPlainFolder, NulLessBinary(), L"binary.cue"), NulLessBinary()},
      {FreshSheet(kPlainFolder, kTrack100, L"track100.cue"), kTrack100},
      {FreshSheet(kPlainFolder, kTrack123, L"track123.cue"), kTrack123},
      {FreshSheet(L"C:\\Discs", kSheet, kLongImage.substr(9)), kSheet},
  };
  const std::wstring& first = files[0].path;
  const std::wstring& second = files[1].path;
  const std::wstring& image = files[2].path;
  const std::wstring& full = files[3].path;
  const std::wstring& toc = files[4].path;
  const std::wstring& negative = files[5].path;
  const std::wstring& utf16 = files[6].path;
  const std::wstring& lateNul = files[7].path;
  const std::wstring& binary = files[8].path;
  const std::wstring& track100 = files[9].path;
  const std::wstring& track123 = files[10].path;
  const std::wstring& longImage = files[11].path;
  const std::wstring folder = kUnicodeFolder + L"\\Disc.cue";
  const std::wstring device = kPlainFolder + L"\\NUL.cue";  // the NUL device, in any folder
  const std::wstring missing = kUnicodeFolder + L"\\missing.cue";

  RefusalFiles() {
    CreateDirectoryW(folder.c_str(), nullptr);
    RemovePath(missing);
  }
  void CheckUnchanged() const {
    for (const File& file : files) {
      Check(ReadFileBytes(file.path) == file.bytes, Narrow(file.path) + " keeps its bytes");
    }
    Check(GetFileAttributesW(folder.c_str()) == FILE_ATTRIBUTE_DIRECTORY, "the folder stays");
    Check(!PathExists(missing), "the missing sheet is not created");
  }
};

}  // namespace

// ---- The tables ----

// Sheets that get their three tracks. Each row: a name, the sheet's folder and file name,
// the ways in it is tried through, and (when not the usual two-track sheet) its bytes and
// what the edit appends, whose "Track NN" lines the track boxes must name. Each way gets a
// fresh sheet and a fresh Varnite.
void CueSheetAdded() {
  const struct {
    const char* name;
    std::wstring folder, file;
    unsigned ways;
    std::string sheet = kSheet, appended = kAppended;
  } rows[] = {
      {"plain", kPlainFolder, L"Live Set.cue", kDialog | kDrop | kCommandLineRelative},
      {"unicode", kUnicodeFolder, L"Disc \u266B \u0414.cue",
       kDialog | kDrop | kCommandLine | kSecondStart},
      {"deep", kDeepFolder, L"A Sheet Deeper Than Plain Windows Paths Go.cue", kDrop},
      // Text as editors leave it: tabs, 8-bit letters, a page break.
      {"tabs_latin1_form_feed", kPlainFolder, L"Caf\u00E9.cue", kDialog | kDrop | kSecondStart,
       "TITLE \"Caf\xE9 Mus\xEEque\"\r\n\tTRACK 01 MODE1/2352\r\n\t\tINDEX 01 00:00:00\r\n"
       "\f\r\n\tTRACK 02 AUDIO\r\n\t\tINDEX 01 10:00:00\r\n"},
  };
  for (const auto& row : rows) {
    ForEachWay(row.ways, row.name, [&](WayIn way) {
      const std::wstring path = FreshSheet(row.folder, row.sheet, row.file);
      const auto app = OpenBy(way, {path});
      ExpectThreeTracksAdded(*app, path, row.sheet, row.appended);
    });
  }
}

// Sheets that are refused. Each row: a name, the paths offered (from RefusalFiles; add a
// file there for a new kind), the text of the one critical box they get, the label left
// after it (the last edit's outcome when refused before anything is opened, the path once
// the sheet was read), and the ways in the refusal applies to. Whatever the way, nothing
// else follows the box, Varnite goes on running and every file keeps its bytes.
void CueSheetRefused() {
  const RefusalFiles f;
  const struct {
    const char* name;
    std::vector<std::wstring> offered;
    std::wstring box;
    std::wstring label;
    unsigned ways;
  } rows[] = {
      {"several_sheets",
       {f.first, f.second},
       kOneAtATime,
       kInitialCueSheetLabel,
       kDrop | kCommandLine | kSecondStart},
      {"not_a_cue_sheet",
       {f.image},
       NotACueSheet(L"This File Is Not One", f.image),
       kInitialCueSheetLabel,
       kDialog | kDrop | kCommandLine},
      {"toc",
       {f.toc},
       NotACueSheet(L"This File Is Not One", f.toc),
       kInitialCueSheetLabel,
       kDialog | kDrop},
      {"folder",
       {f.folder},
       NotACueSheet(L"This Is A Folder", f.folder),
       kInitialCueSheetLabel,
       kDrop | kCommandLine},
      {"missing",
       {f.missing},
       L"This Cue Sheet Cannot Be Found:\r\n" + f.missing + L"\r\n\r\nNothing Was Opened.",
       kInitialCueSheetLabel,
       kDrop | kCommandLine},
      {"too_many_tracks",
       {f.full},
       L"This Cue Sheet Already Has Too Many Tracks To Take The Three Protection Tracks.\r\n"
       L"Its Last Track Is 98 And A CD Holds No More Than 99.\r\n\r\n"
       L"Nothing Was Added To The Cue Sheet.",
       f.full,
       kDialog | kDrop | kCommandLine},
      {"negative_last_track",
       {f.negative},
       L"This Cue Sheet's Last Track Number Is Below Zero, Which No CD Track Has.\r\n"
       L"Its Last Track Is -4. Correct That Line First, Then Select It Again.\r\n\r\n"
       L"Nothing Was Added To The Cue Sheet.",
       f.negative,
       kDialog | kDrop},
      {"utf16_without_byte_order_mark",
       {f.utf16},
       NotText(L"A NUL Byte", 1),
       f.utf16,
       kDialog | kDrop},
      // Judged by every byte and every digit, not by a name and a first block.
      {"disc_image_named_cue",
       {f.lateNul},
       NotText(L"A NUL Byte", kSheet.size() + 5000),
       f.lateNul,
       kDialog | kDrop | kSecondStart},
      {"binary_without_nul",
       {f.binary},
       NotText(L"The Control Byte 03", 5),
       f.binary,
       kDialog | kDrop | kSecondStart},
      {"last_track_100",
       {f.track100},
       TooManyTracks(L"100"),
       f.track100,
       kDialog | kDrop | kSecondStart},
      {"last_track_123",
       {f.track123},
       TooManyTracks(L"123"),
       f.track123,
       kDialog | kDrop | kSecondStart},
      // The box quotes the path shortened in the middle; it fits the screen.
      {"long_path_without_blanks",
       {f.longImage},
       NotACueSheet(L"This File Is Not One", L"C:\\Discs\\" + std::wstring(10, L'x') + L"\u2026" +
                                                 std::wstring(36, L'x') + L".bin"),
       kInitialCueSheetLabel,
       kDrop | kSecondStart},
      {"nul_device",
       {f.device},
       L"Only A Cue Sheet (*.cue) Can Be Used.\r\nThis Is A Device Or A Pipe, Not A File On A "
       L"Disk:\r\n" +
           f.device + L"\r\n\r\nNothing Was Added To The Cue Sheet.",
       f.device,
       kDialog},
  };
  for (const auto& row : rows) {
    ForEachWay(row.ways, row.name, [&](WayIn way) {
      const auto app = OpenBy(way, row.offered);
      RECT box{};
      GetWindowRect(app->WaitForMessageBox().hwnd, &box);
      Check(box.left >= 0 && box.top >= 0 && box.right <= 1024 && box.bottom <= 768,
            "the box lies inside a 1024x768 screen");
      app->ExpectMessageBox(row.box, BoxIcon::Stop);
      app->WaitForNoDialog();
      app->Settle();
      CheckEq(app->DialogCount(), 0, "boxes after the refusal");
      CheckEq(app->Text(IDC_LBL_CUESHEET), row.label, "the label");
      Check(app->Running(), "the program goes on running");
      f.CheckUnchanged();
    });
  }
  Check(RemoveDirectoryW(f.folder.c_str()) != FALSE, "the folder is still an empty folder");
}

namespace {

// A sheet that cannot be written, from the moment it is chosen: the edit shows a retry box
// twice, then gives up with a critical box; the sheet keeps its bytes.
void ExpectEditGivenUp(Varnite& app, const std::wstring& path) {
  app.ExpectMessageBox(L"Err#: 70 - Permission denied", BoxIcon::None);
  app.ExpectMessageBox(L"Err#: 70 - Permission denied", BoxIcon::None);
  app.ExpectMessageBox(
      L"The Cue Sheet Could Not Be Edited.\r\nErr#: 70 - Permission denied\r\n\r\n"
      L"No Protection Tracks Were Added.",
      BoxIcon::Stop);
  app.WaitForNoDialog();
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  Check(ReadFileBytes(path) == kSheet, "the cue sheet is untouched");
}

// What Varnite answers Windows asking whether the session may end (a log-off).
long AnswerToLogOff(Varnite& app) {
  DWORD_PTR answer = 2;
  Check(SendMessageTimeoutW(app.window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                            SMTO_ABORTIFHUNG, 5000, &answer) != 0,
        "Varnite answers whether the session may end");
  return static_cast<long>(answer);
}

}  // namespace

// Input that arrives while an edit is under way. Each row: a name, the moments it is tried
// at, how it is sent (given a second sheet it may name), what must hold once the edit has
// ended with its last box, and whether the window then closes by itself. At any moment the
// open dialog or box stays the only one, and the edit goes on to its end: three tracks
// added to the chosen sheet, once, or (at a retry box, the sheet read-only) given up.
enum Moment : unsigned { kFileDialogOpen = 1, kTrackBoxOpen = 2, kRetryBoxOpen = 4 };

void InputWhileBusy() {
  using Step = std::function<void(Varnite&, const std::wstring& other)>;
  const Step nothing = [](Varnite&, const std::wstring&) {};
  const struct {
    const char* name;
    unsigned moments;
    Step send, afterEdit;
    bool closes = false;
  } rows[] = {
      // Refused with the alert sound: it neither starts a second edit nor waits to start one
      // later. Once the edit is over, the same drop works.
      {"drop", kFileDialogOpen | kTrackBoxOpen,
       [](Varnite& app, const std::wstring& other) { app.Drop({other}); },
       [](Varnite& app, const std::wstring& other) {
         Check(ReadFileBytes(other) == kSheet, "the sheet dropped meanwhile is untouched");
         app.Drop({other});
         ExpectThreeTracksAdded(app, other);
       }},
      // A second Varnite hands its sheet over and ends; the sheet is refused as a drop is.
      {"second_start", kFileDialogOpen | kTrackBoxOpen,
       [](Varnite&, const std::wstring& other) { StartAgain(Quoted({other})); },
       [](Varnite& app, const std::wstring& other) {
         Check(ReadFileBytes(other) == kSheet, "the second start's sheet is untouched");
         Check(app.Running(), "the first Varnite goes on running");
       }},
      // Alt+F4, the taskbar, another program: kept until the edit is over, with all its boxes.
      {"close", kRetryBoxOpen,
       [](Varnite& app, const std::wstring&) { PostMessageW(app.window(), WM_CLOSE, 0, 0); },
       nothing, true},
      // A log-off is refused while the edit runs and allowed once it is over; the end of the
      // session then closes Varnite at once.
      {"log_off", kRetryBoxOpen,
       [](Varnite& app, const std::wstring&) {
         CheckEq(AnswerToLogOff(app), FALSE, "the answer to a log-off during the edit");
       },
       [](Varnite& app, const std::wstring&) {
         CheckEq(AnswerToLogOff(app), TRUE, "the answer to a log-off after the edit");
         PostMessageW(app.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
         Check(WaitForSingleObject(app.process(), 5000) == WAIT_OBJECT_0,
               "Varnite ends with the session");
       }},
  };
  for (const auto& row : rows) {
    for (Moment moment : {kFileDialogOpen, kTrackBoxOpen, kRetryBoxOpen}) {
      if (!(row.moments & moment)) continue;
      const char* when = moment == kFileDialogOpen ? ".file_dialog_open"
                         : moment == kTrackBoxOpen ? ".track_box_open"
                                                   : ".retry_box_open";
      Row(row.name + std::string(when), [&] {
        const std::wstring chosen = FreshSheet(kPlainFolder, kSheet, L"chosen.cue");
        const std::wstring other = FreshSheet(kUnicodeFolder, kSheet, L"other.cue");
        if (moment == kRetryBoxOpen) SetFileAttributesW(chosen.c_str(), FILE_ATTRIBUTE_READONLY);
        Varnite app;
        app.Click(IDC_CMD_EDIT);
        const HWND dialog = app.WaitForFileDialog();
        if (moment == kFileDialogOpen) {
          row.send(app, other);
          app.Settle();
          CheckEq(app.MessageBoxesOpen(), 0, "message boxes after the input");
          Check(IsWindowVisible(dialog) != FALSE, "the file dialog stays open");
        }
        app.ChooseFile(chosen);
        if (moment != kFileDialogOpen) {
          const HWND box = app.WaitForMessageBox().hwnd;
          row.send(app, other);
          app.Settle();
          CheckEq(app.MessageBoxesOpen(), 1, "message boxes after the input");
          Check(IsWindowVisible(box) != FALSE, "the box stays open");
        }
        if (moment == kRetryBoxOpen) {
          ExpectEditGivenUp(app, chosen);
        } else {
          ExpectThreeTracksAdded(app, chosen);
        }
        if (row.closes) {
          Check(WaitForSingleObject(app.process(), 5000) == WAIT_OBJECT_0,
                "Varnite closes by itself once the edit is over");
        } else {
          app.Settle();
          CheckEq(app.MessageBoxesOpen(), 0, "message boxes once the edit is over");
        }
        row.afterEdit(app, other);
      });
    }
  }
}

// ---- The dialog's own outcomes ----

void CueSheetCancel() {
  const std::wstring path = FreshSheet(kPlainFolder, kSheet);
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  app.CancelFileDialog();
  app.ExpectMessageBox(L"Please Select A Cue Sheet", BoxIcon::Stop);
  app.WaitForNoDialog();
  CheckEq(app.Text(IDC_LBL_CUESHEET), L"There Was No CueSheet Selected", "label after a cancel");
  Check(ReadFileBytes(path) == kSheet, "the cue sheet is untouched");
}

void CueSheetReadOnly() {
  const std::wstring path = FreshSheet(kPlainFolder, kSheet);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  Varnite app;
  app.Click(IDC_CMD_EDIT);
  app.ChooseFile(path);
  ExpectEditGivenUp(app, path);
  Check(app.Running(), "the program is still running");
  CheckEq(app.Text(IDC_LBL_CUESHEET), path, "the label is left as it was");
}

}  // namespace varnite::ui
