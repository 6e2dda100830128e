#include "window/event_wiring.h"

#include "cuesheet/edit.h"
#include "dummyfile/create_control.h"
#include "fileio/operation_error.h"
#include "window/panels.h"

namespace varnite {
namespace {

constexpr int kInternalErrorCode = 51;

std::string RunTimeError(int code, const std::string& description) {
  return "Run-time error '" + std::to_string(code) + "':\r\n\r\n" + description;
}

}  // namespace

std::string UncaughtFailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const OperationError& error) {
    return RunTimeError(error.code(), error.description());
  } catch (const std::exception& error) {
    return RunTimeError(kInternalErrorCode, std::string("Internal error: ") + error.what());
  } catch (...) {
    return RunTimeError(kInternalErrorCode, "Internal error");
  }
}

void WireClickHandlers(Dispatcher& dispatcher, MainWindow& window, FileSystem& files) {
  dispatcher.Bind(Control::cmdCreate, [&] { cmdCreate_Click(window, files); });
  dispatcher.Bind(Control::cmdEdit, [&] { cmdEdit_Click(window, files); });
  dispatcher.Bind(Control::cmdHelp, [&] { cmdHelp_Click(window); });
  dispatcher.Bind(Control::cmdAbout, [&] { cmdAbout_Click(window); });
  // Nothing can be trusted after a failure no handler expected: say what it was, then
  // the program ends.
  dispatcher.ReportUncaughtFailures([&window](const std::exception_ptr& failure) {
    window.ShowMessage({UncaughtFailureText(failure), MessageIcon::Critical});
  });
}

WaysIn::OpenCommand GivenPathsCommand(MainWindow& window, FileSystem& files) {
  return [&window, &files](const std::vector<std::string>& paths) {
    EditGivenCueSheet(window, files, paths);
  };
}

}  // namespace varnite
