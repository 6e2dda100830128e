// The About and Help buttons: each shows or hides its panel and answers in its label.
#pragma once

#include "window/main_window.h"

namespace varnite {

void cmdAbout_Click(MainWindow& window);
void cmdHelp_Click(MainWindow& window);

}  // namespace varnite
