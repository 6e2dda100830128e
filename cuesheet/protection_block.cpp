#include "cuesheet/protection_block.h"

namespace varnite {

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

bool EndsInUnfinishedBlock(const std::string& tail) {
  // The lines of a block from its file record on: its two blank lines are harmless even
  // when cut short, and "File" alone could be anybody's text, so the rest must reach at
  // least as far as "File ".
  constexpr std::size_t kBlankLines = 6, kShortest = 5;
  for (std::size_t start = 0; start + kShortest <= tail.size(); ++start) {
    if (start > 0 && tail[start - 1] != '\n' && tail[start - 1] != '\r') continue;
    const std::string rest = tail.substr(start);
    // Every number a block can carry: -9 to 99 by the rules of the gate, and 100 to
    // 102 from versions that let a sheet's track 99 through.
    for (std::int32_t number = -9; number <= 102; ++number) {
      for (const ProtectionPass& pass : kProtectionPasses) {
        const std::string lines =
            ProtectionTrackBlock(number, pass.trackType, pass.withPregap).substr(kBlankLines);
        if (rest.size() < lines.size() && lines.compare(0, rest.size(), rest) == 0) return true;
      }
    }
  }
  return false;
}

}  // namespace varnite
