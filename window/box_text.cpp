#include "window/box_text.h"

#include <vector>

namespace varnite {

std::string PathForBox(const std::string& path, std::size_t most) {
  // Where each character starts: at every byte that does not continue a UTF-8 sequence.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if ((static_cast<unsigned char>(path[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.size() <= most || most < 3) return path;
  // A third before the ellipsis (the drive and the first folders), the rest after it: the
  // file's name and the folders nearest to it say most about which file it is.
  const std::size_t kept = most - 1;
  const std::size_t head = kept / 3;
  const std::size_t tail = kept - head;
  return path.substr(0, starts[head]) + "\xE2\x80\xA6" + path.substr(starts[starts.size() - tail]);
}

}  // namespace varnite
