// The fixed texts of the About and Help panels, lines separated and ended by CR LF. Kept
// apart from the toggles, which need the control table, so the table can hold the texts.
#pragma once

namespace varnite {

extern const char kAboutText[];
extern const char kHelpText[];

}  // namespace varnite
