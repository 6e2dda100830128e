// The event wiring: each of the four buttons' clicks bound to its handler, the cue sheets
// the shell hands over, and the rule for a failure no handler caught. Portable, so that
// what each way in runs, and what the user is told when one fails, are tested without a
// window.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "fileio/file_system.h"
#include "window/dispatch.h"
#include "window/main_window.h"

namespace varnite {

// Binds the four buttons and installs the failure rule: a critical box that gives the
// failure's number and description, shown before the program ends.
void WireClickHandlers(Dispatcher& dispatcher, MainWindow& window, FileSystem& files);

// Paths dropped on the window, named on the command line or handed over by a second start
// of Varnite (UTF-8, full paths), run like a click: one command at a time. Paths that arrive while another command runs, with its
// box or the file dialog open, are refused with the alert sound, as Windows answers a
// click on a window behind a box: they neither start a second edit inside the first nor
// vanish without a sign, and the user can drop them again once the box is closed.
void OpenGivenPaths(Dispatcher& dispatcher, MainWindow& window, FileSystem& files,
                    const std::vector<std::string>& paths);

// The text of that box.
std::string UncaughtFailureText(std::exception_ptr failure);

}  // namespace varnite
