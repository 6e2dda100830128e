#include "cuesheet/edit.h"

#include <cstdint>
#include <memory>

#include "cuesheet/protection_block.h"
#include "cuesheet/sheet_checks.h"
#include "cuesheet/track_scan.h"

namespace varnite {
namespace {

constexpr int kAttemptsPerStep = 3;

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

// The block being appended when the edit was given up, if one was.
struct BlockUnderWay {
  std::string number;          // as the block writes it
  std::size_t size = 0;        // 0: no block was under way
  std::size_t written = 0;     // bytes of it that went out
  std::uint64_t startsAt = 0;  // the sheet's length before it
};

// The last box of an edit given up: what the sheet now holds, exactly.
std::string GiveUpText(const OperationError& error, const std::vector<std::string>& added,
                       const BlockUnderWay& block, const std::string& cutFailure) {
  std::string text = "The Cue Sheet Could Not Be Edited.\r\n" +
                     FormatErrorLine(error.code(), error.description()) + "\r\n\r\n";
  const std::string before =
      "Protection Tracks Added Before The Failure: " + JoinNumbers(added) + ".";
  if (block.size > 0 && block.written == block.size) {
    // Written whole, then the flush failed: the track may well be there, but the system
    // never said it was stored.
    if (!added.empty()) text += before + "\r\n";
    return text + "Track " + block.number +
           " Was Written In Full, But The System Never Confirmed It Reached The Disk.";
  }
  text += added.empty() ? std::string("No Protection Tracks Were Added.") : before;
  if (block.written > 0 && cutFailure.empty()) {
    text += "\r\nWhat Was Written Of Track " + block.number +
            " Has Been Removed Again: The Cue Sheet Ends With Whole Tracks Only.";
  } else if (block.written > 0) {
    text +=
        "\r\nThe Cue Sheet Ends With An Unfinished Protection Track.\r\nIt Could Not Be "
        "Removed (" +
        cutFailure + "): Delete Its Lines Before Using The Cue Sheet.";
  }
  return text;
}

}  // namespace

void AppendProtectionTrack(EditHandle& sheet, const std::string& block,
                           StepFailureHandler& onFailure, std::size_t& written) {
  written = 0;
  // One write for the whole block keeps the chance of a part-written track small, and the
  // flush makes a lost write fail here, in the retried step, before the success box.
  AttemptStep(onFailure, [&] {
    written += sheet.Append(block.data() + written, block.size() - written);
    if (written < block.size()) throw MakeFileError(FileFault::DiskFull);
  });
  AttemptStep(onFailure, [&] { sheet.Flush(); });
}

void cmdEdit_Click(MainWindow& window, FileSystem& files) {
  // Choosing the file: a cancel, a failed dialog or no path at all ends the click here,
  // before anything is opened.
  if (!window.ShowOpenDialog() || window.ChosenPath().empty()) {
    window.ShowMessage({"Please Select A Cue Sheet", MessageIcon::Critical});
    window.SetCaption(Control::lblCueSheet, "There Was No CueSheet Selected");
    return;
  }
  EditCueSheet(window, files, window.ChosenPath());
}

void EditCueSheet(MainWindow& window, FileSystem& files, const std::string& path) {
  // The gate comes before anything is written. What a look at the path refuses (a folder,
  // not a .cue, nothing there) never reaches the label, which keeps telling the outcome of
  // the last edit, as the box names the path. From here on the file is a cue sheet being
  // edited, and the label shows which, through its retries and any refusal.
  std::string refusal = PathRefusal(files, path);
  if (!refusal.empty()) {
    window.ShowMessage({refusal, MessageIcon::Critical});
    return;
  }
  window.SetCaption(Control::lblCueSheet, path);

  RetryRule retry(window);
  std::vector<std::string> added;
  BlockUnderWay block;
  std::unique_ptr<EditHandle> sheet;
  try {
    // The one handle of this edit: every check, scan, append and retry goes through it.
    sheet = AttemptStep(retry, [&] { return files.OpenForEditing(path); });
    SheetFacts facts;
    refusal = OpenedFileRefusal(*sheet, path, retry);
    if (refusal.empty()) refusal = ContentRefusal(*sheet, retry, facts);
    if (!refusal.empty()) {
      window.ShowMessage({refusal, MessageIcon::Critical});
      return;
    }
    std::int32_t lastTrack = facts.lastTrack;
    std::uint64_t length = facts.length;
    for (const ProtectionPass& pass : kProtectionPasses) {
      // The gate's scan of the whole sheet was the first pass's scan; each later one reads
      // only the block the pass before appended.
      if (!added.empty()) {
        HandleReader appended(*sheet, block.startsAt);
        lastTrack = ScanLastTrackNumber(appended, lastTrack, retry);
        length = appended.offset();
      }
      const std::string text = ProtectionTrackBlock(lastTrack + 1, pass.trackType, pass.withPregap);
      block = {FormatTrackNumber(lastTrack + 1), text.size(), 0, length};
      AppendProtectionTrack(*sheet, text, retry, block.written);
      added.push_back(block.number);
      block.size = block.written = 0;  // whole, and confirmed: no block is under way
      window.Beep();
      window.ShowMessage({"Track " + added.back() + " has been added", MessageIcon::None});
      window.Beep();
    }
  } catch (const EditAbandoned& abandoned) {
    // Part of a block is cut back out through the same handle, so the sheet ends with whole
    // tracks only; the box says so only once it is so.
    std::string cutFailure;
    if (block.written > 0 && block.written < block.size) {
      try {
        sheet->CutBack(block.startsAt);
      } catch (const OperationError& error) {
        cutFailure = FormatErrorLine(error.code(), error.description());
      }
    }
    window.ShowMessage(
        {GiveUpText(abandoned.error, added, block, cutFailure), MessageIcon::Critical});
    return;
  }
  window.SetCaption(Control::lblCueSheet, "Protection Tracks Have Been Added");
  window.ShowMessage(
      {"Now Record The Image Back To CD Using The Same Cue Sheet", MessageIcon::Information});
}

void EditGivenCueSheet(MainWindow& window, FileSystem& files,
                       const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  // Several at once would mean several edits behind one gesture, each with its boxes;
  // which sheets got their tracks would be easy to lose track of.
  if (paths.size() > 1) {
    window.ShowMessage(
        {"Please Drop One Cue Sheet At A Time.\r\n\r\nNothing Was Opened.", MessageIcon::Critical});
    return;
  }
  window.SetChosenPath(paths.front());
  EditCueSheet(window, files, paths.front());
}

}  // namespace varnite
