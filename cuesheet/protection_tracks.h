// The "CueSheet" button: appends three protection tracks, each in a file record of its
// own pointing at the dummy file, to the end of the cue sheet the user chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "window/main_window.h"
#include "cuesheet/step_retry.h"
#include "fileio/file_system.h"

namespace varnite {

// "0" and the number below 10 (a minus sign follows the "0"), the plain number from 10 on.
std::string FormatTrackNumber(std::int32_t number);

// The lines one protection track adds: two lines holding a lone CR (so the file record
// always starts a line of its own), the file record, the track, an optional pregap and
// the index, every line ended by CR LF.
std::string ProtectionTrackBlock(std::int32_t number, const std::string& trackType,
                                 bool withPregap);

// Opens `path` for appending (never truncating), writes one block and closes the file.
// Each failing step goes to `onFailure` and is attempted again; a write that failed
// part-way goes on from the first byte that did not reach the file. `written` counts the
// block's bytes that reached the file.
void AppendProtectionTrack(FileSystem& files, const std::string& path, std::int32_t number,
                           const std::string& trackType, bool withPregap,
                           StepFailureHandler& onFailure, std::size_t& written);

// The "CueSheet" button: the file dialog, then EditChosenCueSheet on the file chosen.
void cmdEdit_Click(MainWindow& window, FileSystem& files);

// Everything after the choice, however the cue sheet was chosen: the gate (given_paths.h),
// which may refuse the file with one box; then the chosen path in lblCueSheet and the
// three tracks with their boxes, beeps, retries and last box. It reads the path from the
// window before every use, as it keeps no copy.
void EditChosenCueSheet(MainWindow& window, FileSystem& files);

}  // namespace varnite
