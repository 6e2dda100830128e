#include "cuesheet/protection_tracks.h"

#include <vector>

#include "cuesheet/given_paths.h"
#include "cuesheet/track_scan.h"

namespace varnite {
namespace {

constexpr int kAttemptsPerStep = 3;

struct Pass {
  const char* trackType;
  bool withPregap;
};
constexpr Pass kPasses[] = {{" Audio", true}, {" mode1/2352", false}, {" mode2/2352", false}};

// Thrown by the retry rule when a step has failed too often to try again.
struct EditAbandoned {
  OperationError error;
};

// Every failure after the file is chosen is shown as "Err#: ..." and the failed step is
// attempted again; a step that fails a third time abandons the edit.
class RetryRule final : public StepFailureHandler {
 public:
  explicit RetryRule(MainWindow& window) : window_(window) {}
  void OnStepFailure(const OperationError& error, int failures) override {
    if (failures >= kAttemptsPerStep) throw EditAbandoned{error};
    window_.ShowMessage({FormatErrorLine(error.code(), error.description()), MessageIcon::None});
  }

 private:
  MainWindow& window_;
};

std::string JoinNumbers(const std::vector<std::string>& numbers) {
  std::string text;
  for (const auto& number : numbers) text += (text.empty() ? "" : ", ") + number;
  return text;
}

}  // namespace

std::string FormatTrackNumber(std::int32_t number) {
  if (number >= 10) return std::to_string(number);
  return "0" + std::to_string(number);
}

std::string ProtectionTrackBlock(std::int32_t number, const std::string& trackType,
                                 bool withPregap) {
  std::string block = "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\n";
  block += "Track " + FormatTrackNumber(number) + trackType + "\r\n";
  if (withPregap) block += "Pregap 00:10:00\r\n";
  block += "Index 01 00:00:00\r\n";
  return block;
}

void AppendProtectionTrack(FileSystem& files, const std::string& path, std::int32_t number,
                           const std::string& trackType, bool withPregap,
                           StepFailureHandler& onFailure, std::size_t& written) {
  const std::string block = ProtectionTrackBlock(number, trackType, withPregap);
  auto file = AttemptStep(onFailure, [&] { return files.OpenForAppending(path); });
  // One write for the whole block keeps a half-written track as unlikely as it can be, and
  // its flush makes a lost write fail here, in the retried step, before the success box.
  written = 0;
  AttemptStep(onFailure, [&] { WriteThrough(*file, block, written); });
  AttemptStep(onFailure, [&] { file->Close(); });
}

void cmdEdit_Click(MainWindow& window, FileSystem& files) {
  // Choosing the file: a cancel, a failed dialog or no path at all ends the click here,
  // before anything is opened.
  if (!window.ShowOpenDialog() || window.ChosenPath().empty()) {
    window.ShowMessage({"Please Select A Cue Sheet", MessageIcon::Critical});
    window.SetCaption(Control::lblCueSheet, "There Was No CueSheet Selected");
    return;
  }
  EditChosenCueSheet(window, files);
}

void EditChosenCueSheet(MainWindow& window, FileSystem& files) {
  // The gate comes before anything is written. What a look at the path refuses (a folder,
  // not a .cue, nothing there) never reaches the label, which keeps telling the outcome of
  // the last edit, as the box names the path. From here on the file is a cue sheet being
  // edited, and the label shows which, through its retries and any refusal of its contents.
  std::string refusal = PathRefusal(files, window.ChosenPath());
  if (!refusal.empty()) {
    window.ShowMessage({refusal, MessageIcon::Critical});
    return;
  }
  window.SetCaption(Control::lblCueSheet, window.ChosenPath());

  RetryRule retry(window);
  std::vector<std::string> added;
  std::size_t written = 0;
  try {
    std::int32_t counter = 0;
    refusal = ContentRefusal(files, window.ChosenPath(), retry, counter);
    if (!refusal.empty()) {
      window.ShowMessage({refusal, MessageIcon::Critical});
      return;
    }
    for (const Pass& pass : kPasses) {
      // The gate's scan of the whole file was the first pass's scan.
      if (!added.empty()) {
        counter = FindLastTrackNumber(files, window.ChosenPath(), counter, retry);
      }
      ++counter;
      AppendProtectionTrack(files, window.ChosenPath(), counter, pass.trackType,
                            pass.withPregap, retry, written);
      added.push_back(FormatTrackNumber(counter));
      written = 0;  // this pass's block is whole
      window.Beep();
      window.ShowMessage({"Track " + added.back() + " has been added", MessageIcon::None});
      window.Beep();
    }
  } catch (const EditAbandoned& abandoned) {
    std::string text = "The Cue Sheet Could Not Be Edited.\r\n" +
                       FormatErrorLine(abandoned.error.code(), abandoned.error.description()) + "\r\n\r\n";
    text += added.empty() ? std::string("No Protection Tracks Were Added.")
                          : "Protection Tracks Added Before The Failure: " + JoinNumbers(added) + ".";
    if (written > 0) {
      text += "\r\nThe Cue Sheet Ends With An Unfinished Protection Track.";
    }
    window.ShowMessage({text, MessageIcon::Critical});
    return;
  }
  window.SetCaption(Control::lblCueSheet, "Protection Tracks Have Been Added");
  window.ShowMessage({"Now Record The Image Back To CD Using The Same Cue Sheet",
                      MessageIcon::Information});
}

}  // namespace varnite
