// The About and Help buttons: each shows or hides its panel and answers in its label.
#pragma once

#include "window/main_window.h"

namespace varnite {

void cmdAbout_Click(MainWindow& window);
void cmdHelp_Click(MainWindow& window);

// The fixed texts of the two panels, lines separated and ended by CR LF.
extern const char kAboutText[];
extern const char kHelpText[];

}  // namespace varnite
