#include "cuesheet/protection_block.h"

#include <gtest/gtest.h>

namespace varnite {
namespace {

TEST(FormatTrackNumber, PadsBelowTenOnly) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "00"}, {3, "03"}, {9, "09"}, {10, "10"}, {99, "99"}, {100, "100"}, {-1, "0-1"}};
  for (auto [number, text] : cases) EXPECT_EQ(FormatTrackNumber(number), text) << number;
}

TEST(ProtectionTrackBlock, HasTheExactLinesOfEachPass) {
  EXPECT_EQ(ProtectionTrackBlock(3, " Audio", true),
            "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 03 Audio\r\n"
            "Pregap 00:10:00\r\nIndex 01 00:00:00\r\n");
  EXPECT_EQ(ProtectionTrackBlock(4, " mode1/2352", false),
            "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack 04 mode1/2352\r\n"
            "Index 01 00:00:00\r\n");
  EXPECT_EQ(ProtectionTrackBlock(12, " Audio", true).size(), 86u);
  EXPECT_EQ(ProtectionTrackBlock(12, " mode2/2352", false).size(), 74u);
}

TEST(EndsInUnfinishedBlock, FindsAnyPartOfABlockFromItsFileRecordOn) {
  const std::string sheet = "FILE \"a.bin\" BINARY\r\n  TRACK 02 AUDIO\r\n";
  const std::string audio = ProtectionTrackBlock(3, " Audio", true);
  const std::string mode2 = ProtectionTrackBlock(99, " mode2/2352", false);
  const struct {
    const char* what;
    std::string tail;
    bool unfinished;
  } rows[] = {
      {"a sheet of its own", sheet, false},
      {"a whole block", sheet + audio, false},
      {"blocks of every pass", sheet + audio + mode2, false},
      {"the file record and \"Track \"",
       sheet + "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\nTrack ", true},
      {"the file record's line", sheet + audio.substr(0, 34), true},
      {"all but the last LF", sheet + audio.substr(0, audio.size() - 1), true},
      {"a number of three digits, cut", sheet + "File C:\\Varnite.PSX binary\r\nTrack 10", true},
      {"\"File \" typed by hand after a line", sheet + "File ", true},
      {"only the blank lines, which harm nothing", sheet + "\r\r\n\r\r", false},
      {"\"File\" could be anybody's", sheet + "File", false},
      {"the sheet's own FILE line", sheet + "FILE \"b.bin\" BIN", false},
      {"a block's text not at a line start", sheet + "REM File C:\\Varnite.PSX binary", false},
      {"lines after a block's text are the user's", sheet + audio.substr(0, 34) + "REM x\r\n",
       false},
      {"a CR-only sheet ends in a blank line", "TRACK 1 AUDIO\rINDEX 1 00:00:00\r\r", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EndsInUnfinishedBlock(row.tail), row.unfinished) << row.what;
  }
}

}  // namespace
}  // namespace varnite
