#include "window/box_text.h"

#include <gtest/gtest.h>

namespace varnite {
namespace {

// Characters, counted as a box shows them: one per UTF-8 sequence.
std::size_t Characters(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

TEST(PathForBox, KeepsAShortPathAndShortensALongOneInTheMiddle) {
  const std::string e = "\xC3\xA9", note = "\xE2\x99\xAB", clef = "\xF0\x9D\x84\x9E";
  const std::string ellipsis = "\xE2\x80\xA6";
  const struct {
    const char* what;
    std::string path;
    std::size_t most;
    std::string shown;
  } rows[] = {
      {"short", "C:\\a.cue", 60, "C:\\a.cue"},
      {"exactly the most", std::string(60, 'x'), 60, std::string(60, 'x')},
      {"one over", "C:\\" + std::string(58, 'x'), 60,
       "C:\\" + std::string(16, 'x') + ellipsis + std::string(40, 'x')},
      {"ten characters", "abcdefghijklmnop", 10, "abc" + ellipsis + "klmnop"},
      // Multi-byte characters count once and are never cut in two, at either edge.
      {"two-byte characters at both cuts", std::string("ab") + e + "d" + e + "fgh" + e + e + e, 7,
       "ab" + ellipsis + "h" + e + e + e},
      {"three- and four-byte characters", note + note + note + clef + clef + clef + clef, 5,
       note + ellipsis + clef + clef + clef},
  };
  for (const auto& row : rows) {
    const std::string shown = PathForBox(row.path, row.most);
    EXPECT_EQ(shown, row.shown) << row.what;
    EXPECT_LE(Characters(shown), row.most) << row.what;
  }
  // A 200-character path without blanks, as the boxes quote it by default: the end, which
  // names the file, is kept.
  const std::string deep = "C:\\" + std::string(180, 'd') + "\\album.bin";
  EXPECT_EQ(Characters(PathForBox(deep)), kBoxPathLength);
  EXPECT_EQ(PathForBox(deep).substr(PathForBox(deep).size() - 10), "\\album.bin");
}

}  // namespace
}  // namespace varnite
