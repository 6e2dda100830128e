// End-to-end cases of the window and its keys: the start-up state, the About and Help
// panels, Tab, Space and Return, and clicks that arrive back to back.
#include <functional>
#include <string>
#include <vector>

#include "dummyfile/dummy_file.h"
#include "resources/resource.h"
#include "tests/ui/ui_driver.h"
#include "window/control_table.h"

namespace varnite::ui {
namespace {

const wchar_t* ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
      return L"Button";
    case ControlKind::Label:
      return L"Static";
    case ControlKind::Panel:
    case ControlKind::ScrollingPanel:
      return L"Edit";
  }
  return L"?";
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// ---- The About and Help panels ----
struct Toggle {
  int button, panel, label;
  const wchar_t* hidden;
  const wchar_t* shown;
  const wchar_t* reply;
  bool everyLineShows;  // or the panel scrolls
};
const Toggle kAbout{IDC_CMD_ABOUT, IDC_TXT_ABOUT,
                    IDC_LBL_ABOUT, L"About Varnite",
                    L"Hide About", L"Thankyou, You Are Very Kind",
                    true};
const Toggle kHelp{IDC_CMD_HELP, IDC_TXT_HELP,          IDC_LBL_HELP, L"Help Please",
                   L"Hide Help", L"See Its Easy Huh ?", false};

// The control a user sees at the middle of `id`: the topmost visible child there.
HWND SeenAt(Varnite& app, int id) {
  RECT rc = app.ClientRectOf(id);
  POINT middle = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  return ChildWindowFromPointEx(app.window(), middle, CWP_SKIPINVISIBLE);
}

// The panel's last line of text lies wholly inside its client area, under the first.
void CheckEveryLineShows(Varnite& app, int id) {
  HWND panel = app.Control(id);
  auto ask = [panel](UINT message, WPARAM wParam) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(panel, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return answer;
  };
  auto top = [&](DWORD_PTR index) {
    return static_cast<short>(HIWORD(ask(EM_POSFROMCHAR, index)));
  };
  const std::size_t length = app.Text(panel).size();
  const int lineHeight = top(ask(EM_LINEINDEX, 1)) - top(0);
  const int lastLineBottom = top(length - 3) + lineHeight;  // its last letter, before CR LF
  RECT client;
  GetClientRect(panel, &client);
  CheckEq(static_cast<long>(ask(EM_GETFIRSTVISIBLELINE, 0)), 0, "the panel's first line shown");
  Check(lastLineBottom <= client.bottom, "the panel's last line ends at " +
                                             std::to_string(lastLineBottom) + ", the panel at " +
                                             std::to_string(client.bottom));
}

// A made control as the table has it: its class, its text and whether it scrolls.
void CheckMade(Varnite& app, const ControlRow& row) {
  HWND hwnd = app.Control(row.id);
  const std::string name = row.name;
  Check(_wcsicmp(ClassOf(hwnd).c_str(), ClassFor(row.kind)) == 0,
        name + " is a " + Narrow(ClassFor(row.kind)));
  CheckEq(app.Text(hwnd), Wide(row.initialText), name + " text");
  const bool scrolls = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL) != 0;
  Check(scrolls == (row.kind == ControlKind::ScrollingPanel),
        name + (scrolls ? " has a vertical scroll bar" : " has no vertical scroll bar"));
}

void CheckShown(Varnite& app, const Toggle& t) {
  WaitForCaption(app, t.button, t.shown);
  Check(app.Visible(t.panel), "the panel is shown");
  CheckMade(app, *RowWithId(t.panel));
  CheckEq(app.Text(t.label), t.reply, "the label holds the reply underneath");
  for (const ControlRow& row : kControlTable) {
    if (row.kind == ControlKind::Label) {
      // Hidden, or wholly under the panel: a label grown for its text shows nothing beside it.
      const RECT label = app.ClientRectOf(row.id), panel = app.ClientRectOf(t.panel);
      const HWND seen = SeenAt(app, row.id);
      Check((seen == app.Control(t.panel) || seen != app.Control(row.id)) &&
                (!app.Visible(row.id) || (label.left >= panel.left && label.right <= panel.right)),
            std::string("a shown panel covers ") + row.name);
    } else if (row.kind == ControlKind::Button) {
      Check(SeenAt(app, row.id) == app.Control(row.id), std::string("no panel covers ") + row.name);
    }
    // A screen reader names what it can reach: a button or label by its text, a panel by
    // the name the table gives it.
    if (app.Visible(row.id)) {
      CheckEq(AccessibleName(app.Control(row.id)),
              row.accessibleName ? Wide(row.accessibleName) : app.Text(row.id),
              std::string("the name a screen reader gives ") + row.name);
    }
  }
  if (t.everyLineShows) CheckEveryLineShows(app, t.panel);
}

// The client area and every control made so far as the table has them at `dpi`; a label
// may be wider for its text, up to the window's edge, but not at 96 DPI.
void CheckLayout(Varnite& app, int dpi, const std::string& when) {
  RECT client;
  GetClientRect(app.window(), &client);
  CheckEq(client.right, TwipsToPixels(kClientWidthTwips, dpi), "client width " + when);
  CheckEq(client.bottom, TwipsToPixels(kClientHeightTwips, dpi), "client height " + when);
  for (const ControlRow& row : kControlTable) {
    if (!row.visibleAtStart && !app.Made(row.id)) continue;
    const std::string name = std::string(row.name) + " " + when;
    const PixelRect expected = ToPixels(row.twips, dpi, dpi);
    const PixelRect widest =
        row.kind == ControlKind::Label ? LabelRect(row, dpi, client.right) : expected;
    const RECT rc = app.ClientRectOf(row.id);
    CheckEq(rc.left, expected.left, name + " left");
    CheckEq(rc.top, expected.top, name + " top");
    CheckEq(rc.bottom, expected.bottom(), name + " bottom");
    Check(rc.right >= expected.right() && rc.right <= widest.right(),
          name + " right: " + std::to_string(rc.right) + ", expected " +
              std::to_string(expected.right()) + " to " + std::to_string(widest.right()));
  }
}

void CheckHidden(Varnite& app, const Toggle& t) {
  WaitForCaption(app, t.button, t.hidden);
  Check(!app.Visible(t.panel), "the panel is hidden");
  CheckEq(app.Text(t.label), t.reply, "the label shows the reply");
}

void PanelToggles(const Toggle& t, const Toggle& other) {
  Varnite app;
  const std::wstring otherLabel = app.Text(other.label);
  app.Click(t.button);
  CheckShown(app, t);
  app.Click(t.button);
  CheckHidden(app, t);
  Check(SeenAt(app, t.label) == app.Control(t.label), "the label is visible again");
  CheckEq(app.Text(other.button), other.hidden, "the other toggle is untouched");
  CheckEq(app.Text(other.label), otherLabel, "the other label is untouched");
  Check(!app.Visible(other.panel), "the other panel stays hidden");
}

}  // namespace

// The window at start, as the control table describes it, at the display's DPI: the
// client area and every control scaled from twips, each control's visibility and each
// made one's class and text, the focus on the first control in tab order and the tab cycle
// through the shown controls that take the focus. Moved to a display of another DPI and
// back, it is laid out each time as it would start there, with a panel made meanwhile.
void StartUpState() {
  const int dpi = DisplayDpi();
  Varnite app;
  CheckEq(app.Text(app.window()), Wide(kWindowCaption), "window caption");
  CheckLayout(app, dpi, "at start");
  LONG style = GetWindowLongW(app.window(), GWL_STYLE);
  Check(!(style & WS_THICKFRAME), "the border does not resize");
  Check(!(style & WS_MAXIMIZEBOX), "no maximize button");
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "a caption and close button");

  // A control hidden at start is made when first shown (the panels, in CheckShown).
  for (const ControlRow& row : kControlTable) {
    Check(app.Visible(row.id) == row.visibleAtStart,
          std::string(row.name) + (row.visibleAtStart ? " is shown" : " is hidden"));
    if (app.Made(row.id)) CheckMade(app, row);
  }

  CheckFocusOn(app, RowOf(FirstInTabOrder()).id, "at start");
  // With both panels hidden the tab key visits the shown controls that take the focus, in
  // tab order, and comes round again.
  std::vector<int> cycle;
  for (Control control : CreationOrder()) {
    const ControlRow& row = RowOf(control);
    if (TakesFocus(row.kind) && row.visibleAtStart) cycle.push_back(row.id);
  }
  cycle.push_back(cycle.front());
  cycle.push_back(cycle[1]);
  for (std::size_t i = 1; i < cycle.size(); ++i) {
    app.PressKey(VK_TAB);
    CheckFocusOn(app, cycle[i], "after tab");
  }

  app.ChangeDpi(OtherDpi(dpi), dpi);
  // A panel made there is made at that DPI, and moves back with the window.
  app.Click(IDC_CMD_HELP);
  WaitForCaption(app, IDC_CMD_HELP, L"Hide Help");
  CheckLayout(app, OtherDpi(dpi), "moved to " + std::to_string(OtherDpi(dpi)) + " DPI");
  app.ChangeDpi(dpi, OtherDpi(dpi));
  CheckLayout(app, dpi, "moved back to " + std::to_string(dpi) + " DPI");
}

void AboutToggle() { PanelToggles(kAbout, kHelp); }
void HelpToggle() { PanelToggles(kHelp, kAbout); }

void BothPanelsAndKeyboard() {
  Varnite app;
  // Space on the focused button works as a click: tab to "About Varnite", press space.
  CheckFocusOn(app, IDC_CMD_CREATE, "at start");
  app.PressKey(VK_TAB);
  CheckFocusOn(app, IDC_CMD_HELP, "after one tab");
  app.PressKey(VK_TAB);
  CheckFocusOn(app, IDC_CMD_ABOUT, "after two tabs");
  app.PressKey(VK_SPACE);
  CheckShown(app, kAbout);
  app.Click(IDC_CMD_HELP);
  CheckShown(app, kHelp);
  Check(app.Visible(IDC_TXT_ABOUT), "both panels are shown");
  // With both shown, the tab cycle takes in the help panel after "CueSheet", then the
  // about panel, though the about panel was shown first.
  CheckFocusOn(app, IDC_CMD_HELP, "after a click on Help");
  const int cycle[] = {IDC_CMD_ABOUT, IDC_CMD_EDIT,   IDC_TXT_HELP,
                       IDC_TXT_ABOUT, IDC_CMD_CREATE, IDC_CMD_HELP};
  for (int id : cycle) {
    app.PressKey(VK_TAB);
    HWND expected = app.Control(id);
    Check(WaitUntil([&] { return app.Focus() == expected; }, 5000),
          "tab reaches control " + std::to_string(id));
    if (id == IDC_TXT_HELP || id == IDC_TXT_ABOUT) {
      // Tabbing into a panel leaves its text unselected.
      DWORD_PTR selection = 0;
      SendMessageTimeoutW(expected, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
      CheckEq(static_cast<long>(HIWORD(selection)), static_cast<long>(LOWORD(selection)),
              "end of the selection in panel " + std::to_string(id));
    }
  }
  // Hiding one leaves the other shown and its caption as it was.
  app.Click(IDC_CMD_HELP);
  CheckHidden(app, kHelp);
  Check(app.Visible(IDC_TXT_ABOUT), "the about panel stays shown");
  CheckEq(app.Text(IDC_CMD_ABOUT), L"Hide About", "the about caption stays");
}

void HelpScrollsToItsLastLine() {
  Varnite app;
  app.Click(IDC_CMD_HELP);
  CheckShown(app, kHelp);
  HWND help = app.Control(IDC_TXT_HELP);
  const std::wstring text = app.Text(help);
  const std::wstring last = L"       CD HAVE ALREADY BEEN WRITTEN !! \r\n";
  Check(text.size() > last.size() &&
            text.compare(text.size() - last.size(), last.size(), last) == 0,
        "the help text ends with its last line");
  DWORD_PTR first = 0;
  SendMessageTimeoutW(help, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 5000, &first);
  CheckEq(static_cast<long>(first), 0, "the help text starts at its top");
  PostMessageW(help, WM_VSCROLL, SB_BOTTOM, 0);
  Check(WaitUntil(
            [&] {
              SendMessageTimeoutW(help, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                  &first);
              return first > 0;
            },
            5000),
        "the scroll bar brings the last lines into view");
}

// ---- Keyboard and clicks ----

// Return clicks the focused button, however the focus got there: at start, after the
// boxes of a click close, after a mouse click and after Tab; one press is one click.
void ReturnClicksTheFocusedButton() {
  RemovePath(kDummyFile);
  Varnite app;
  const struct {
    const char* how;
    std::function<void()> bringFocus;
    int button;
    std::function<void()> expectClick;
  } steps[] = {
      {"at start", [] {}, IDC_CMD_CREATE,
       [&] {
         app.ExpectMessageBox(L"This Will Create One Essential File On C:\\", BoxIcon::Information);
         app.ExpectMessageBox(L"Dummy File Created On Drive C:", BoxIcon::Information);
         app.WaitForNoDialog();
         CheckEq(app.Text(IDC_CMD_CREATE), L"Modify", "the button after Return");
       }},
      {"after the boxes closed", [] {}, IDC_CMD_CREATE,
       [&] {
         app.ExpectMessageBox(L"The Dummy File Has Been Modified", BoxIcon::Information);
         app.WaitForNoDialog();
         CheckEq(app.Text(IDC_CMD_CREATE), L"Create File", "the button after Return");
       }},
      {"after a mouse click",
       [&] {
         app.MouseClick(IDC_CMD_HELP);
         WaitForCaption(app, IDC_CMD_HELP, L"Hide Help");
       },
       IDC_CMD_HELP, [&] { CheckHidden(app, kHelp); }},
      {"after Tab", [&] { app.PressKey(VK_TAB); }, IDC_CMD_ABOUT, [&] { CheckShown(app, kAbout); }},
  };
  for (const auto& step : steps) {
    step.bringFocus();
    CheckFocusOn(app, step.button, step.how);
    app.PressKey(VK_RETURN);
    step.expectClick();
  }
  // One press was one click each time: once Varnite has taken every key, nothing more follows.
  app.Settle();
  Check(app.DialogCount() == 0, "no box follows");
  CheckEq(app.Text(IDC_CMD_ABOUT), L"Hide About", "About after one Return");
  CheckEq(app.Text(IDC_CMD_HELP), L"Help Please", "Help after one Return");
  RemovePath(kDummyFile);
}

// Two clicks queued back to back, as automation and accessibility tools send them, start
// one handler: the second arrives while the first one's box or dialog is open and is
// dropped, so there is one box or dialog at a time and nothing runs after the first flow.
void QueuedClicksStartOneHandler() {
  const struct {
    const char* name;
    int button;
    std::function<void(Varnite&)> flow;  // from the first box or dialog to the last box
    std::function<void(Varnite&)> after;
  } rows[] = {
      {"create_file", IDC_CMD_CREATE,
       [](Varnite& app) {
         MessageBoxView first = app.WaitForMessageBox();
         CheckEq(first.text, L"This Will Create One Essential File On C:\\", "first box");
         app.Settle();  // the second click has arrived
         CheckEq(app.DialogCount(), 1, "boxes open at once");
         app.CloseMessageBox(first);
         app.ExpectMessageBox(L"Dummy File Created On Drive C:", BoxIcon::Information);
       },
       [](Varnite& app) {
         CheckEq(app.Text(IDC_CMD_CREATE), L"Modify", "the button after one flow");
         Check(ReadFileBytes(kDummyFile) == DummyFileFullForm(), "the full dummy file");
       }},
      {"cuesheet", IDC_CMD_EDIT,
       [](Varnite& app) {
         app.WaitForFileDialog();
         app.Settle();
         CheckEq(app.DialogCount(), 1, "dialogs open at once");
         app.ChooseFile(L"C:\\Cue Sheets\\album.cue");
         for (const wchar_t* number : {L"03", L"04", L"05"}) {
           app.ExpectMessageBox(std::wstring(L"Track ") + number + L" has been added",
                                BoxIcon::None);
         }
         app.ExpectMessageBox(L"Now Record The Image Back To CD Using The Same Cue Sheet",
                              BoxIcon::Information);
       },
       [](Varnite& app) {
         CheckEq(app.Text(IDC_LBL_CUESHEET), L"Protection Tracks Have Been Added",
                 "the label after one flow");
         Check(ReadFileBytes(L"C:\\Cue Sheets\\album.cue") == kSheet + kAppended,
               "three protection tracks added once");
       }},
  };
  for (const auto& row : rows) {
    Row(row.name, [&] {
      RemovePath(kDummyFile);
      FreshSheet(L"C:\\Cue Sheets", kSheet);
      Varnite app;
      app.Click(row.button);
      app.Click(row.button);
      row.flow(app);
      app.WaitForNoDialog();
      app.Settle();
      CheckEq(app.DialogCount(), 0, "boxes after one flow");
      Check(IsWindowEnabled(app.window()) != FALSE, "the window takes input again");
      row.after(app);
    });
  }
  RemovePath(kDummyFile);
}

}  // namespace varnite::ui
