// Text for message boxes. A box is as wide as its longest line, and Windows breaks a line
// only at a blank: a long path without blanks would make it wider than the screen, with its
// icon and title pushed off.
#pragma once

#include <cstddef>
#include <string>

namespace varnite {

// Characters (Unicode code points) a path keeps in a box.
inline constexpr std::size_t kBoxPathLength = 60;

// `path` (UTF-8) as a box quotes it: whole when it has at most `most` characters, or else its
// start and its end, which names the file, joined by "…" to `most` characters. Never cuts
// a character in two.
std::string PathForBox(const std::string& path, std::size_t most = kBoxPathLength);

}  // namespace varnite
