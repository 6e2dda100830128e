#include "dummyfile/dummy_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "fileio/operation_error.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_files.h"

namespace varnite {
namespace {

// Splits on CR LF and insists that every line is ended by one.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "last line has no CR LF";
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

const std::string kStars(87, '*');
const std::string kTitle = "This Is A The File Used By Varnite To Create Dummy Tracks On Your CD";
const std::string kWarning =
    "* Do Not Delete This File Or Your CueSheets Modified Using Varnite Will Be Invalid !! *";

struct FormCase {
  const char* name;
  std::string bytes;
  std::size_t size;
  std::string line3;
  std::size_t xLines;
};
void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

class DummyFileForm : public ::testing::TestWithParam<FormCase> {};

TEST_P(DummyFileForm, HasTheFixedLayoutByteForByte) {
  const FormCase& form = GetParam();
  ASSERT_EQ(form.bytes.size(), form.size);
  for (char c : form.bytes) ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80);
  // No bare CR or LF anywhere: every line end is the pair.
  for (std::size_t i = 0; i < form.bytes.size(); ++i) {
    if (form.bytes[i] == '\r') {
      ASSERT_EQ(form.bytes[i + 1], '\n') << i;
    }
    if (form.bytes[i] == '\n') {
      ASSERT_TRUE(i > 0) << "a file starting with LF";
      ASSERT_EQ(form.bytes[i - 1], '\r') << i;
    }
  }
  auto lines = CrLfLines(form.bytes);
  ASSERT_EQ(lines.size(), 7 + form.xLines);
  EXPECT_EQ(lines[0], kTitle);
  EXPECT_EQ(lines[1], "Varnite By Quenmore Software 2000 - www.quenmore.example");
  EXPECT_EQ(lines[2], form.line3);
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], kStars);
  EXPECT_EQ(lines[5], kWarning);
  EXPECT_EQ(lines[6], kStars);
  for (std::size_t i = 7; i < lines.size(); ++i) EXPECT_EQ(lines[i], "X") << "line " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    BothForms, DummyFileForm,
    ::testing::Values(FormCase{"full", DummyFileFullForm(), 2352, "", 651},
                      FormCase{"short", DummyFileShortForm(), 482,
                               "This Is The Modified File That Creates The Protection", 10}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DummyFileForms, ShareTheirHeaderAndBox) {
  auto full = CrLfLines(DummyFileFullForm());
  auto shortForm = CrLfLines(DummyFileShortForm());
  for (int i : {0, 1, 4, 5, 6}) EXPECT_EQ(full[i], shortForm[i]) << "line " << i + 1;
}

TEST(DummyFileWriter, WritesEachFormWholeAndTruncatesWhatWasThere) {
  testing::MemoryFileSystem files;
  // Modify with no file at all creates the short form from nothing.
  ModifyDummyFile(files);
  EXPECT_EQ(files.files.at(kDummyFilePath), DummyFileShortForm());
  // Create over the short form gives the full form, not the two run together.
  CreateDummyFile(files);
  EXPECT_EQ(files.files.at(kDummyFilePath), DummyFileFullForm());
  ModifyDummyFile(files);
  EXPECT_EQ(files.files.at(kDummyFilePath), DummyFileShortForm());
  EXPECT_EQ(files.openFiles, 0);
}

TEST(DummyFileWriter, WritesTheExactBytesToARealFile) {
  const std::string path = testing::JoinPath(testing::ScratchDir("dummy"), "Varnite.PSX");
  testing::WriteBytes(path, std::string(5000, 'Z'));  // longer than either form
  CreateDummyFile(RealFileSystem(), path);
  EXPECT_EQ(testing::ReadBytes(path), DummyFileFullForm());
  ModifyDummyFile(RealFileSystem(), path);
  EXPECT_EQ(testing::ReadBytes(path), DummyFileShortForm());
}

TEST(DummyFileWriter, ReportsAFailedWrite) {
  const struct {
    void (*arrange)(testing::MemoryFileSystem&);
    int code;
    std::size_t kept;
  } rows[] = {
      {[](auto& fs) { fs.diskSpace = 100; }, 61, 100},
      {[](auto& fs) { fs.flushFailures = 1; }, 57, 2352},  // on a drive that lost it
      {[](auto& fs) { fs.closeFailures = 1; }, 57, 2352},
  };
  for (const auto& row : rows) {
    testing::MemoryFileSystem files;
    row.arrange(files);
    try {
      CreateDummyFile(files);
      ADD_FAILURE() << "a failure went unnoticed";
    } catch (const OperationError& error) {
      EXPECT_EQ(error.code(), row.code);
    }
    // What was written before the failure stays; nothing is cleaned up.
    EXPECT_EQ(files.files.at(kDummyFilePath), DummyFileFullForm().substr(0, row.kept));
  }
}

}  // namespace
}  // namespace varnite
