// The text of one protection track: a file record of its own pointing at the dummy file,
// the track and its index, as the "CueSheet" button appends it.
#pragma once

#include <cstdint>
#include <string>

namespace varnite {

// "0" and the number below 10 (a minus sign follows the "0"), the plain number from 10 on.
std::string FormatTrackNumber(std::int32_t number);

// The lines one protection track adds: two lines holding a lone CR (so the file record
// always starts a line of its own), the file record, the track, an optional pregap and
// the index, every line ended by CR LF.
std::string ProtectionTrackBlock(std::int32_t number, const std::string& trackType,
                                 bool withPregap);

// The track types of the three blocks an edit appends, in order, with their pregaps.
struct ProtectionPass {
  const char* trackType;
  bool withPregap;
};
inline constexpr ProtectionPass kProtectionPasses[] = {
    {" Audio", true}, {" mode1/2352", false}, {" mode2/2352", false}};

// True when `tail`, the last bytes of a sheet (at least the last 128), ends in part of a
// protection block: a line that starts one and everything after it, short of the block's
// end. A sheet left so by a failed write (an older version did not cut it back) or by hand
// has a file record with no track, or a track with no number.
bool EndsInUnfinishedBlock(const std::string& tail);

}  // namespace varnite
