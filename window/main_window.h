// The window as the click handlers see it: captions, panels, the file dialog, message
// boxes and the beep. The Win32 window implements it; tests use a recording fake.
// Every type here is plain C++, so the handlers build and run on any platform.
#pragma once

#include <string>

namespace varnite {

// The application title: every message box carries it unless its caller names another.
inline constexpr char kAppTitle[] = "Varnite";

enum class Control {
  cmdCreate,
  lblCreate,
  cmdEdit,
  lblCueSheet,
  cmdHelp,
  lblHelp,
  cmdAbout,
  lblAbout,
  txtAbout,
  txtHelp,
};

enum class MessageIcon { None, Information, Critical };

// "Err#: <code> - <description>", the one form in which a failure is shown to the user.
std::string FormatErrorLine(int code, const std::string& description);

struct Message {
  std::string text;
  MessageIcon icon = MessageIcon::None;
  std::string title = kAppTitle;
};

class MainWindow {
 public:
  virtual ~MainWindow() = default;

  // The caption of a button or the text of a label, exactly as last set.
  virtual std::string Caption(Control control) const = 0;
  // Shown at once; the next Caption() returns the new text.
  virtual void SetCaption(Control control, const std::string& text) = 0;
  // Shows or hides a control at once; its text is never changed.
  virtual void SetVisible(Control control, bool visible) = 0;

  // Shows the open-file dialog modally. True when the user chose a file; false when the
  // user cancelled or the dialog failed, in which case the held path stays as it was.
  virtual bool ShowOpenDialog() = 0;
  // The full path last chosen in the dialog, as UTF-8.
  virtual std::string ChosenPath() const = 0;
  // A cue sheet chosen another way (dropped on the window, named on the command line):
  // from now on ChosenPath() returns `path`, as if it had been chosen in the dialog.
  virtual void SetChosenPath(const std::string& path) = 0;

  // A modal box with one OK button; returns when the user has closed it.
  virtual void ShowMessage(const Message& message) = 0;
  // The default alert sound; returns at once.
  virtual void Beep() = 0;
};

}  // namespace varnite
