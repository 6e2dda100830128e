#include "cuesheet/track_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cuesheet/edit.h"
#include "tests/support/fake_window.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_files.h"

namespace varnite {
namespace {

constexpr char kPath[] = "C:\\disc.cue";

// Scans `text` with no retry rule; nullopt when the scan fails.
std::optional<std::int32_t> Scan(const std::string& text, std::int32_t start = 0,
                                 const std::vector<std::size_t>& readSizes = {}) {
  testing::MemoryFileSystem files;
  files.files[kPath] = text;
  files.readSizes = readSizes;
  NoRetry noRetry;
  try {
    std::int32_t result = FindLastTrackNumber(files, kPath, start, noRetry);
    EXPECT_EQ(files.openFiles, 0) << "the scan left the file open";
    EXPECT_LE(files.readsAtEnd, 1) << "the scan read on after the end of the file";
    return result;
  } catch (const OperationError&) {
    return std::nullopt;
  }
}

struct ScanCase {
  std::string what;
  std::string text;
  std::optional<std::int32_t> expected;  // nullopt: a number that is not a number
};
void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.what; }

class TrackScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(TrackScan, FindsTheLastTrackRecord) {
  const ScanCase& c = GetParam();
  // The same answer whatever the read sizes: fields and line ends cross block edges.
  for (const auto& sizes : testing::ReadPatterns()) {
    EXPECT_EQ(Scan(c.text, 0, sizes), c.expected)
        << c.what << ", " << testing::DescribeReads(sizes);
  }
}

const ScanCase kScanCases[] = {
    // The track lines as cue sheets write them.
    {"two indented tracks",
     "FILE \"a.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n"
     "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n",
     2},
    {"last record wins, not the largest", "  TRACK 05 AUDIO\r\n  TRACK 02 AUDIO\r\n", 2},
    {"no track record", "REM nothing here\r\nFILE \"x.wav\" WAVE\r\n", 0},
    {"empty file", "", 0},
    {"case is ignored", "track 3 audio\r\n", 3},
    {"the form the appender writes",
     "\r\r\n\r\r\nFile C:\\Varnite.PSX binary\r\n"
     "Track 07 mode1/2352\r\nIndex 01 00:00:00\r\n",
     7},
    {"only characters 7 and 8 count", "TRACK 123 AUDIO\r\n", 12},
    {"seven characters", "TRACK 1", 1},
    {"a minus sign", "TRACK -1 AUDIO\r\n", -1},
    {"a plus sign", "TRACK +4 AUDIO\r\n", 4},
    {"REM before TRACK", "  TRACK 03 AUDIO\r\nREM TRACK 04\r\n", 3},
    {"comma inside a title ends the field",
     "  TRACK 01 AUDIO\r\n"
     "    TITLE \"Live, Track 9 Encore\"\r\n",
     9},
    {"character 6 is never examined", "TRACKX05 AUDIO\r\n", 5},
    {"TRACKS is a track record too, its characters 7 and 8 a blank and 0",
     "TRACK 02\r\nTRACKS 05\r\n", 0},
    {"TRAC is not a track record", "TRACK 02\r\nTRAC 05\r\n", 2},
    {"TRACY is not a track record", "TRACK 02\r\nTRACY 05\r\n", 2},
    {"CRACK is not a track record", "TRACK 02\r\nCRACK 05\r\n", 2},
    {"a digit then the end of the field", "TRACK 8,AUDIO\r\n", 8},
    // Line ends.
    {"LF-only line ends", "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n  TRACK 02 AUDIO\n", 2},
    {"CR-only line ends", "FILE A WAVE\rTRACK 1 AUDIO\rINDEX 1 00:00:00\rTRACK 2 AUDIO\r", 2},
    {"no line end at the end", "  TRACK 01 AUDIO\r\n  TRACK 04 AUDIO", 4},
    {"blank lines between", "\r\n\r\n  TRACK 06 AUDIO\r\n\r\n\n\r\n   \r\n", 6},
    {"a tail of blanks", "  TRACK 06 AUDIO\r\n     ", 6},
    // Blanks and quotes.
    {"tab indent", "\tTRACK 11 AUDIO\n\t\tINDEX 01 00:00:00\n", 11},
    {"tab after the digit", "TRACK 5\tAUDIO\n", 5},
    {"quoted field", "\"TRACK 10 AUDIO\"\r\n", 10},
    {"quoted field with a comma inside", "\"TRACK 03, AUDIO\",\"TRACK 04\"\r\n", 4},
    {"text after the closing quote is skipped", "\"x\"TRACK 12 AUDIO\r\n  TRACK 02 AUDIO\r\n", 2},
    {"text after the closing quote up to the comma", "\"x\"TRACK 12,TRACK 13\r\n", 13},
    {"text after the closing quote in the last record", "TRACK 02\r\n\"x\" TRACK 12\r\n", 2},
    {"an unterminated quote ends at its line",
     "TITLE \"Greatest Hits\n\"open quote\n"
     "  TRACK 01 AUDIO\n",
     1},
    {"a quote inside an unquoted field", "TITLE \"a\"b\"\r\nTRACK 21 AUDIO\r\n", 21},
    {"UTF-8 byte order mark before a track", "\xEF\xBB\xBFTRACK 14 AUDIO\n", 14},
    {"UTF-8 byte order mark alone", "\xEF\xBB\xBF", 0},
    {"UTF-8 byte order mark in a file larger than a read block",
     "\xEF\xBB\xBFTRACK 14\n" + std::string(300'000, 'x') + "\nTRACK 15\n", 15},
    {"a byte order mark past the first byte is text", "TRACK 02\n\xEF\xBB\xBFTRACK 14\n", 2},
    {"near-miss byte order mark EE BB BF", "\xEE\xBB\xBFTRACK 14\n", 0},
    {"near-miss byte order mark EF BB BE", "\xEF\xBB\xBETRACK 14\n", 0},
    {"near-miss byte order mark EF BB", "\xEF\xBBTRACK 14\n", 0},
    {"the start of a byte order mark and nothing more", "\xEF\xBB", 0},
    {"bytes outside ASCII",
     "TITLE \"B\xC3\xB6hmer \xE9\"\r\n  TRACK 17 AUDIO\r\n"
     "  TITLE \"\xFF\xFE\"\r\n",
     17},
    // Track records whose number is not a number.
    {"TRACK alone", "TRACK\r\n", std::nullopt},
    {"TRACK and a blank", "  TRACK \n", std::nullopt},
    {"letters", "TRACK MODE2_RAW\n", std::nullopt},
    {"digit and letter", "TRACK 1A AUDIO\n", std::nullopt},
    {"two blanks", "TRACK   AUDIO\n", std::nullopt},
    {"a decimal point", "TRACK 1. AUDIO\n", std::nullopt},
};

// An unterminated last line of every length from 1 to 40: the first n characters of a
// track line, so the rows run from no record through a number that is not one yet to the
// whole track, and every length meets the end of a 16-byte step of the field search.
std::vector<ScanCase> WithUnterminatedLastLines() {
  std::vector<ScanCase> cases(std::begin(kScanCases), std::end(kScanCases));
  const std::string line = "TRACK 07 AUDIO " + std::string(40, 'x');
  for (std::size_t n = 1; n <= 40; ++n) {
    std::optional<std::int32_t> expected = 7;
    if (n == 7) expected = 0;             // "TRACK 0"
    if (n <= 6) expected = std::nullopt;  // "TRACK", "TRACK ": no number
    if (n <= 4) expected = 2;             // "T" to "TRAC": no record, the one before stays
    cases.push_back({"unterminated last line of " + std::to_string(n),
                     "TRACK 02\r\n" + line.substr(0, n), expected});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Fields, TrackScan, ::testing::ValuesIn(WithUnterminatedLastLines()),
                         [](const auto& row) { return testing::TestName(row.param.what); });

TEST(TrackScanStart, IsReturnedWhenThereIsNoTrackRecord) {
  EXPECT_EQ(Scan("REM only\r\n", 42), 42);
  EXPECT_EQ(Scan("", -3), -3);
  EXPECT_EQ(Scan("TRACK 05\r\n", 42), 5);
}

TEST(TrackScanStart, AnEmptyFileIsNeverReadAsAField) {
  testing::MemoryFileSystem files;
  files.files[kPath] = "";
  NoRetry noRetry;
  EXPECT_EQ(FindLastTrackNumber(files, kPath, 7, noRetry), 7);
  EXPECT_EQ(files.reads, 1);  // the end-of-file test, and nothing more
}

// A field of any length costs constant memory: only its first eight characters are kept.
TEST(TrackScanSize, HandlesAHugeFieldAndAHugeFile) {
  // NOLINTNEXTLINE(bugprone-string-constructor): the size is the point of the test.
  std::string huge = "TRACK 33" + std::string(20'000'000, 'x') + "\nTRACK 34 AUDIO\n";
  EXPECT_EQ(Scan(huge), 34);
  std::string many;
  for (int i = 0; i < 200'000; ++i) many += "  TRACK 0" + std::to_string(i % 10) + " AUDIO\r\n";
  EXPECT_EQ(Scan(many), 9);
}

// A failing step is handed over, and the scan goes on from that step.
class CountingRetry final : public StepFailureHandler {
 public:
  void OnStepFailure(const OperationError& error, int failures) override {
    codes.push_back(error.code());
    lastFailures = failures;
  }
  std::vector<int> codes;
  int lastFailures = 0;
};

TEST(TrackScanFailures, EachFailedStepIsRetriedAndTheScanGoesOn) {
  testing::MemoryFileSystem files;
  files.files[kPath] = "  TRACK 01 AUDIO\r\n  TRACK 02 AUDIO\r\n";
  files.openReadFailures = 2;
  files.readFailures = 1;
  files.readSizes = {5};
  CountingRetry retry;
  EXPECT_EQ(FindLastTrackNumber(files, kPath, 0, retry), 2);
  EXPECT_EQ(retry.codes, (std::vector<int>{75, 75, 57}));
  EXPECT_EQ(files.opensForReading, 3);
  EXPECT_EQ(files.openFiles, 0);
}

TEST(TrackScanFailures, AMissingFileAndABadNumberGoToTheRetryRule) {
  struct Abandon final : StepFailureHandler {
    void OnStepFailure(const OperationError& error, int failures) override {
      seen.push_back(error.code());
      if (failures == 2) throw error;
    }
    std::vector<int> seen;
  };
  testing::MemoryFileSystem files;
  files.files[kPath] = "TRACK 01\nTRACK xy\nTRACK 03\n";
  Abandon abandon;
  EXPECT_THROW(FindLastTrackNumber(files, "C:\\missing.cue", 0, abandon), OperationError);
  EXPECT_THROW(FindLastTrackNumber(files, kPath, 0, abandon), OperationError);
  EXPECT_EQ(abandon.seen, (std::vector<int>{53, 53, 13, 13}));
  EXPECT_EQ(files.openFiles, 0);
}

// Every real-world cue sheet gives the number in the text of its last track line.
TEST(TrackScanRealSheets, AgreeWithTheirRecordedLastTrack) {
  const std::string dir = testing::CueSheetsDir();
  std::istringstream sources(testing::ReadBytes(testing::JoinPath(dir, "SOURCES.tsv")));
  std::string line;
  std::getline(sources, line);  // header
  int checked = 0;
  while (std::getline(sources, line)) {
    std::vector<std::string> columns;
    std::stringstream split(line);
    for (std::string column; std::getline(split, column, '\t');) columns.push_back(column);
    ASSERT_GE(columns.size(), 10u) << line;
    const std::string& name = columns[0];
    const std::string& lastTrack = columns[9];
    SCOPED_TRACE(::testing::Message() << name << " (last track text \"" << lastTrack << "\")");

    std::optional<std::int32_t> expected;
    // UTF-16 text: every other byte is NUL, so no field spells TRACK (the appender refuses
    // such a sheet before it scans); and a sheet with no TRACK line at all.
    if (name == "cuesheetnet-utf16le-bom-crlf.cue" || lastTrack == "(no TRACK line)") {
      expected = 0;
    } else {
      // Characters 7 and 8 of "TRACK nn" are the first two characters of the number
      // text; "(none)", "thhpt!" and "MODE2_RAW" are not numbers.
      std::string digits = lastTrack.substr(0, 2);
      bool isNumber =
          !digits.empty() && lastTrack != "(none)" &&
          std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (isNumber) expected = std::stoi(digits);
    }
    NoRetry noRetry;
    std::optional<std::int32_t> got;
    try {
      got = FindLastTrackNumber(RealFileSystem(), testing::JoinPath(dir, name), 0, noRetry);
    } catch (const OperationError&) {
    }
    EXPECT_EQ(got, expected);

    // And every one is edited, unless the gate has a reason: UTF-16 text, a last track
    // above 96 as written, a track number that is not one.
    const bool refused = name == "cuesheetnet-utf16le-bom-crlf.cue" || !expected ||
                         (lastTrack[0] >= '0' && lastTrack[0] <= '9' && std::stoi(lastTrack) > 96);
    testing::FakeWindow window;
    testing::MemoryFileSystem memory;
    memory.files["D:\\sheet.cue"] = testing::ReadBytes(testing::JoinPath(dir, name));
    EditCueSheet(window, memory, "D:\\sheet.cue");
    EXPECT_EQ(window.events.back().find("Now Record The Image") != std::string::npos, !refused);
    ++checked;
  }
  int sheets = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(dir))) {
    sheets += entry.path().extension() == ".cue";
  }
  EXPECT_EQ(checked, sheets) << "every sheet in the folder is listed and checked";
}

}  // namespace
}  // namespace varnite
