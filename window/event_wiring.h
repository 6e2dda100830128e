// The event wiring: each of the four buttons' clicks bound to its handler, what the cue
// sheets given from outside run, and the rule for a failure no handler caught. Portable, so
// that what each way in runs, and what the user is told when one fails, are tested without
// a window.
#pragma once

#include <exception>
#include <string>

#include "fileio/file_system.h"
#include "window/dispatch.h"
#include "window/main_window.h"
#include "window/ways_in.h"

namespace varnite {

// Binds the four buttons and installs the failure rule: a critical box that gives the
// failure's number and description, shown before the program ends.
void WireClickHandlers(Dispatcher& dispatcher, MainWindow& window, FileSystem& files);

// What paths dropped on the window, named on the command line or handed over by a second
// start run: the check and edit of the one cue sheet they name.
WaysIn::OpenCommand GivenPathsCommand(MainWindow& window, FileSystem& files);

// The text of that box.
std::string UncaughtFailureText(const std::exception_ptr& failure);

}  // namespace varnite
