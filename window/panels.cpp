#include "window/panels.h"

#include "window/control_table.h"

namespace varnite {
namespace {

// A show/hide toggle whose only state is its button's caption.
struct Toggle {
  Control button;
  const char* hiddenCaption;
  const char* shownCaption;
  Control panel;
  Control label;
  const char* reply;
};

constexpr Toggle kAbout{Control::cmdAbout, "About Varnite",   "Hide About",
                        Control::txtAbout, Control::lblAbout, "Thankyou, You Are Very Kind"};
constexpr Toggle kHelp{Control::cmdHelp, "Help Please",    "Hide Help",
                       Control::txtHelp, Control::lblHelp, "See Its Easy Huh ?"};

// The labels lie under the panels, and while either is shown they are hidden too: a label
// grown past the panels' edge at a high DPI would show beside them. The panel shows before
// the labels go and hides after they are back, so neither flickers. Whether the other panel
// is shown, its button's caption says.
void SetPanelShown(MainWindow& window, const Toggle& toggle, const Toggle& other, bool shown) {
  const bool otherShown = window.Caption(other.button) == other.shownCaption;
  if (shown) window.SetVisible(toggle.panel, true);
  for (const ControlRow& row : kControlTable) {
    if (row.kind == ControlKind::Label) window.SetVisible(row.control, !shown && !otherShown);
  }
  if (!shown) window.SetVisible(toggle.panel, false);
}

// Shows the toggle's panel if its caption says it is hidden, hides it if it says it is shown.
void ShowOrHidePanel(MainWindow& window, const Toggle& toggle, const Toggle& other) {
  const std::string caption = window.Caption(toggle.button);
  if (caption == toggle.hiddenCaption) {
    SetPanelShown(window, toggle, other, true);
    window.SetCaption(toggle.button, toggle.shownCaption);
  } else if (caption == toggle.shownCaption) {
    SetPanelShown(window, toggle, other, false);
    window.SetCaption(toggle.button, toggle.hiddenCaption);
  }
  // The reply is set on every click, whichever way the toggle went.
  window.SetCaption(toggle.label, toggle.reply);
}

}  // namespace

void cmdAbout_Click(MainWindow& window) { ShowOrHidePanel(window, kAbout, kHelp); }
void cmdHelp_Click(MainWindow& window) { ShowOrHidePanel(window, kHelp, kAbout); }

}  // namespace varnite
