#include "app/event_wiring.h"

#include "cuesheet/given_paths.h"
#include "cuesheet/protection_tracks.h"
#include "dummyfile/create_control.h"
#include "window/panels.h"

namespace varnite {

void WireClickHandlers(Dispatcher& dispatcher, MainWindow& window, FileSystem& files) {
  dispatcher.Bind(Control::cmdCreate, [&] { cmdCreate_Click(window, files); });
  dispatcher.Bind(Control::cmdEdit, [&] { cmdEdit_Click(window, files); });
  dispatcher.Bind(Control::cmdHelp, [&] { cmdHelp_Click(window); });
  dispatcher.Bind(Control::cmdAbout, [&] { cmdAbout_Click(window); });
}

void OpenGivenPaths(Dispatcher& dispatcher, MainWindow& window, FileSystem& files,
                    const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  if (!dispatcher.Run([&] { OpenGivenCueSheet(window, files, paths); })) window.Beep();
}

}  // namespace varnite
