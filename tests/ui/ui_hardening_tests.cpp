// End-to-end cases of DLLs planted beside the exe, and of work offered by a program that is
// not Varnite.
//
// Windows looks for a DLL loaded by bare name in the exe's folder first, and Varnite runs
// with administrator rights. What Wine (8.0) can show of the hardening is the run-time
// part: a bare-name load made inside Varnite after start. So this case makes one, from a
// thread of its own, rather than waiting for Varnite to load something. Wine cannot show
// the load-time part: it ignores DependentLoadFlags (a DLL planted under the name of one a
// system DLL imports is loaded at start all the same). Nor does the run-time part reach the
// DLLs that Wine's own DLLs delay-load after start (msimg32, ole32): Wine resolves those
// through the process's first search path, which starts with the exe's folder.
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/ui/ui_driver.h"
#include "window/hand_over.h"

namespace varnite::ui {
namespace {

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
  std::memcpy(exe.data(), bytes.data(), exe.size() * sizeof(wchar_t));
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
    const bool started = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
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

}  // namespace

// The program without the hardening: says it is up, then waits to be ended.
int RunAsControlProgram() {
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kControlReady);
  if (!ready) return 1;
  SetEvent(ready);
  CloseHandle(ready);
  Sleep(120000);
  return 0;
}

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
      Check(InSystemFolder(loaded), Narrow(dll.name) +
                                        " comes from the system folder, not from \"" +
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
    CheckEq(LoadedBy(dll), L"",
            "after the dialog, the process that loaded the planted " + Narrow(dll.name));
  }
}

// A program that finds Varnite's window can send it a hand-over as well formed as a second
// start's. Wine lets any process send any message (there is no privilege filter to pass), so
// this shows what Varnite checks itself: the sender named in the block must be another
// running Varnite of the same exe file (the unit rows show the rest). Here the sender is this
// driver, under its own process id or Varnite's; nothing is opened, nor the sheet touched.
void HandOverFromAnotherProgram() {
  const std::wstring folder = L"C:\\Hand Over";
  const std::wstring sheet = FreshSheet(folder, kSheet);
  const struct {
    const char* name;
    bool senderIsVarnite;  // the block names Varnite's own process
    std::wstring path;
  } rows[] = {
      {"driver", false, sheet},
      {"claims_varnite_itself", true, sheet},
  };
  // A block too large for the queue makes Varnite's message loop fail (4 MiB, under Wine):
  // it ends with a box that says so, never silently.
  Row("four_mib", [&] {
    Varnite app(L"", folder);
    std::vector<char> huge(4 << 20, 'x');
    COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(huge.size()), huge.data()};
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(app.window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                        SMTO_ABORTIFHUNG, 10000, &answer);
    WaitUntil([&] { return app.DialogCount() > 0 || !app.Running(); }, 5000);
    Check(app.Running(), "Varnite runs until its box is closed");
    Check(ReadFileBytes(sheet) == kSheet, "the sheet keeps its bytes");
    if (app.DialogCount() == 0) {  // the loop took the block, so a hand-over it is not
      CheckEq(static_cast<long>(answer), 0, "the answer to a block of 4 MiB");
      return;
    }
    app.ExpectMessageBox(L"Varnite Could Not Read Its Messages And Has Ended.", BoxIcon::Stop);
    DWORD code = 0;
    Check(WaitForSingleObject(app.process(), 5000) == WAIT_OBJECT_0, "Varnite ends");
    GetExitCodeProcess(app.process(), &code);
    CheckEq(static_cast<long>(code), 1, "the exit code");
  });
  for (const auto& row : rows) {
    Row(row.name, [&] {
      Varnite app(L"", folder);
      const std::wstring label = app.Text(IDC_LBL_CUESHEET);
      const DWORD sender =
          row.senderIsVarnite ? GetProcessId(app.process()) : GetCurrentProcessId();
      const std::u16string block = EncodeHandOver(
          {static_cast<std::uint32_t>(sender), {std::u16string(row.path.begin(), row.path.end())}});
      COPYDATASTRUCT data{};
      data.dwData = kHandOverTag;
      const std::size_t bytes = block.size() * sizeof(char16_t);
      data.cbData = static_cast<DWORD>(bytes);
      data.lpData = const_cast<char16_t*>(block.data());
      DWORD_PTR answer = 2;
      Check(SendMessageTimeoutW(app.window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                SMTO_ABORTIFHUNG, 10000, &answer) != 0,
            "Varnite answers the hand-over");
      CheckEq(static_cast<long>(answer), 0, std::string("the answer to ") + row.name);
      app.Settle();
      CheckEq(app.DialogCount(), 0, "boxes and dialogs after the hand-over");
      CheckEq(app.Text(IDC_LBL_CUESHEET), label, "the CueSheet label");
      Check(ReadFileBytes(sheet) == kSheet, "the sheet keeps its bytes");
      Check(app.Running(), "Varnite goes on running");
    });
  }
}

}  // namespace varnite::ui
