// End-to-end cases of the dummy file: Create File and Modify, and a write that fails.
#include <string>

#include "dummyfile/dummy_file.h"
#include "resources/resource.h"
#include "tests/ui/ui_driver.h"
#include "window/control_table.h"

namespace varnite::ui {
namespace {

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
  CheckAfterClick(app, DummyFileFullForm(), 2352, L"Modify",
                  L"Hit Modify Once The CD Is Recording");
}

void ExpectModify(Varnite& app) {
  app.Click(IDC_CMD_CREATE);
  app.ExpectMessageBox(L"The Dummy File Has Been Modified", BoxIcon::Information);
  CheckAfterClick(app, DummyFileShortForm(), 482, L"Create File", L"Ready To Create File Again");
}

}  // namespace

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
      L"The Dummy File Could Not Be Written To C:\\\r\n\r\nA folder named "
      L"C:\\Varnite.PSX is in the way. Move or rename it, then try again."
      L"\r\n\r\nErr#: 75 - Path/File access error",
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

}  // namespace varnite::ui
