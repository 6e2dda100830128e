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

// What the user must clear away from the dummy file's path before another click.
std::string InTheWayText(InTheWay what) {
  const std::string path = kDummyFilePath;
  if (what == InTheWay::Folder) {
    return "A folder named " + path + " is in the way. Move or rename it, then try again.";
  }
  return path +
         " is a link (a symbolic link, junction or mount point) that leads "
         "somewhere else. Nothing was written through it. Remove the link, then try again.";
}

// A failed write must not end the program: the user is told why, both captions stay
// as they were, and another click tries again once the cause is fixed.
void ReportWriteFailure(MainWindow& window, const OperationError& error) {
  std::string text = "The Dummy File Could Not Be Written To C:\\\r\n\r\n";
  if (const auto* inTheWay = dynamic_cast<const InTheWayError*>(&error)) {
    text += InTheWayText(inTheWay->inTheWay()) + "\r\n\r\n";
  }
  window.ShowMessage(
      {text + FormatErrorLine(error.code(), error.description()), MessageIcon::Critical});
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
