#include "dummyfile/create_control.h"

#include "dummyfile/dummy_file.h"
#include "fileio/operation_error.h"

namespace varnite {
namespace {

constexpr char kCreateCaption[] = "Create File";
constexpr char kModifyCaption[] = "Modify";

void Inform(MainWindow& window, const char* text) {
  window.ShowMessage({text, MessageIcon::Information});
}

// A failed write must not end the program: the user is told why, both captions stay
// as they were, and another click tries again once the cause is fixed.
void ReportWriteFailure(MainWindow& window, const OperationError& error) {
  window.ShowMessage({std::string("The Dummy File Could Not Be Written To C:\\\r\n\r\n") +
                          FormatErrorLine(error.code(), error.description()),
                      MessageIcon::Critical});
}

}  // namespace

void cmdCreate_Click(MainWindow& window, FileSystem& files) {
  if (window.Caption(Control::cmdCreate) == kCreateCaption) {
    Inform(window, "This Will Create One Essential File On C:\\");
    try {
      CreateDummyFile(files);
    } catch (const OperationError& error) {
      ReportWriteFailure(window, error);
      return;
    }
    Inform(window, "Dummy File Created On Drive C:");
    window.SetCaption(Control::cmdCreate, kModifyCaption);
    window.SetCaption(Control::lblCreate, "Hit Modify Once The CD Is Recording");
  } else {
    try {
      ModifyDummyFile(files);
    } catch (const OperationError& error) {
      ReportWriteFailure(window, error);
      return;
    }
    Inform(window, "The Dummy File Has Been Modified");
    window.SetCaption(Control::lblCreate, "Ready To Create File Again");
    window.SetCaption(Control::cmdCreate, kCreateCaption);
  }
}

}  // namespace varnite
