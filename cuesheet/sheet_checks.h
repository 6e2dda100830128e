// The gate every cue sheet passes before Varnite appends to it, whichever way it came in:
// chosen in the dialog, dropped on the window or named on the command line (a drop on the
// exe's icon, "Open with", "Send To"). It lets through one file on a disk whose name,
// after every link, ends in .cue, that holds 8-bit text from its first byte to its last
// and has room for three more tracks; anything else gets one critical box saying why, and
// not a byte of any file is changed.
#pragma once

#include <cstdint>
#include <string>

#include "cuesheet/step_retry.h"
#include "fileio/edit_handle.h"
#include "fileio/file_system.h"

namespace varnite {

// True when the path's name ends in ".cue", in any case.
bool IsCueSheetName(const std::string& path);

// The first part of the gate, from a look at the path alone, before anything is opened: a
// folder, a name that does not end in .cue, nothing there. Returns the refusal's text, or
// nothing when the path names an existing .cue file.
std::string PathRefusal(FileSystem& files, const std::string& path);

// The second, from the handle the edit opened `path` with: what the system says it
// opened (a file on a disk, not a device, pipe, folder or, where links cannot be followed
// to their end, a link) and that file's own name, which must end in .cue too.
std::string OpenedFileRefusal(EditHandle& sheet, const std::string& path,
                              StepFailureHandler& onFailure);

// What the third part found in a sheet it let through.
struct SheetFacts {
  std::int32_t lastTrack = 0;  // by the track scan's reading; 0 when there is none
  std::uint64_t length = 0;    // bytes, as read
};

// The third, from every byte of the sheet, read once: text (no UTF-16 byte order mark, no
// NUL or other control byte than tab, line ends, form feed and end-of-file), no protection
// block left unfinished at its end, track numbers that are numbers, and a last track from
// 0 to 96, however many digits it is written with. Returns the refusal's text, or nothing
// and then `facts`. Every read, and a track number that is not one, goes through
// `onFailure`, the edit's own retry rule.
std::string ContentRefusal(EditHandle& sheet, StepFailureHandler& onFailure, SheetFacts& facts);

}  // namespace varnite
