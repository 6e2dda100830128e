#include "cuesheet/track_scan.h"

#include <array>
#include <cstring>

namespace varnite {
namespace {

constexpr std::size_t kBlockSize = 256 * 1024;

// Blanks skipped before a field and around a track number. A tab counts as a blank:
// many cue sheets indent with tabs.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Characters that end an unquoted field, and those that end a quoted one (a line end
// ends even an unterminated quote, so one broken line cannot swallow the tracks after it).
constexpr std::array<bool, 256> MakeTable(bool withComma, bool withQuote) {
  std::array<bool, 256> table{};
  table['\r'] = table['\n'] = true;
  table[','] = withComma;
  table['"'] = withQuote;
  return table;
}
constexpr auto kEndsUnquoted = MakeTable(true, false);
constexpr auto kEndsQuoted = MakeTable(false, true);

inline bool Ends(const std::array<bool, 256>& table, char c) {
  return table[static_cast<unsigned char>(c)];
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsTrackRecord(const FieldHead& field) {
  static constexpr char kTrack[] = "TRACK";
  if (field.length < 5) return false;
  for (std::size_t i = 0; i < 5; ++i) {
    if (Upper(field.text[i]) != kTrack[i]) return false;
  }
  return true;
}

std::int32_t TrackNumberOf(const FieldHead& field) {
  // Characters 7 and 8, counting from 1: only 7 if the field has seven, none if fewer.
  const char* p = field.text + 6;
  const char* end = field.text + (field.length > 6 ? field.length : 6);
  while (p != end && IsBlank(*p)) ++p;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = (*p++ == '-');
  std::int32_t value = 0;
  const char* digits = p;
  while (p != end && *p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
  if (p == digits) throw MakeTypeMismatchError();
  while (p != end && IsBlank(*p)) ++p;
  if (p != end) throw MakeTypeMismatchError();
  return negative ? -value : value;
}

FieldReader::FieldReader(InputFile& file, StepFailureHandler& onFailure)
    : file_(file), onFailure_(onFailure), buffer_(new char[kBlockSize]),
      pos_(buffer_), end_(buffer_) {}

FieldReader::~FieldReader() { delete[] buffer_; }

bool FieldReader::Fill() {
  if (atEof_) return false;
  // A failed read is handed to the caller and then attempted again.
  auto read = [&](char* into, std::size_t size) {
    return AttemptStep(onFailure_, [&] { return file_.Read(into, size); });
  };
  std::size_t got = read(buffer_, kBlockSize);
  if (firstFill_ && got > 0) {
    firstFill_ = false;
    // A UTF-8 byte order mark is not part of the first field. Short reads may split it.
    static constexpr unsigned char kBom[] = {0xEF, 0xBB, 0xBF};
    auto isBomSoFar = [&] {
      for (std::size_t i = 0; i < got && i < 3; ++i) {
        if (static_cast<unsigned char>(buffer_[i]) != kBom[i]) return false;
      }
      return true;
    };
    while (got < 3 && isBomSoFar()) {
      std::size_t more = read(buffer_ + got, kBlockSize - got);
      if (more == 0) break;
      got += more;
    }
    if (got >= 3 && isBomSoFar()) {
      std::memmove(buffer_, buffer_ + 3, got - 3);
      got -= 3;
      if (got == 0) return Fill();
    }
  }
  pos_ = buffer_;
  end_ = buffer_ + got;
  if (got == 0) atEof_ = true;
  return got != 0;
}

bool FieldReader::AtEnd() { return !Available(); }

// Line ends: CR LF is one line end, and a lone CR or a lone LF ends a line too, so
// LF-only sheets from Unix tools and CR-only ones from old Macs read line by line.
void FieldReader::ConsumeLineEnd() {
  if (*pos_++ == '\r' && Available() && *pos_ == '\n') ++pos_;
}

// Skips what stands between a quoted field's closing quote and its delimiter, then
// consumes the delimiter.
void FieldReader::SkipToDelimiter() {
  for (;;) {
    while (pos_ != end_ && !Ends(kEndsUnquoted, *pos_)) ++pos_;
    if (pos_ != end_) break;
    if (!Fill()) return;
  }
  if (*pos_ == ',') {
    ++pos_;
  } else {
    ConsumeLineEnd();
  }
}

FieldHead FieldReader::ReadField() {
  FieldHead field;
  // Leading blanks. Blank lines and a tail of blanks read as empty fields.
  for (;;) {
    if (!Available()) return field;
    if (!IsBlank(*pos_)) break;
    ++pos_;
  }
  const bool quoted = (*pos_ == '"');
  if (quoted) ++pos_;
  const auto& ends = quoted ? kEndsQuoted : kEndsUnquoted;
  for (;;) {
    // Keep the first eight characters, then run to the delimiter without copying.
    while (pos_ != end_ && field.length < FieldHead::kKept && !Ends(ends, *pos_)) {
      field.text[field.length++] = *pos_++;
    }
    while (pos_ != end_ && !Ends(ends, *pos_)) ++pos_;
    if (pos_ != end_) break;
    if (!Fill()) return field;  // the file ends the field
  }
  if (*pos_ == '"') {
    ++pos_;
    SkipToDelimiter();
  } else if (*pos_ == ',') {
    ++pos_;
  } else {
    ConsumeLineEnd();
  }
  return field;
}

std::int32_t ScanLastTrackNumber(InputFile& file, std::int32_t startValue,
                                 StepFailureHandler& onFailure) {
  std::int32_t counter = startValue;
  FieldReader reader(file, onFailure);
  while (!reader.AtEnd()) {
    const FieldHead field = reader.ReadField();
    if (IsTrackRecord(field)) {
      counter = AttemptStep(onFailure, [&] { return TrackNumberOf(field); });
    }
  }
  return counter;
}

std::int32_t FindLastTrackNumber(FileSystem& files, const std::string& path,
                                 std::int32_t startValue, StepFailureHandler& onFailure) {
  auto file = AttemptStep(onFailure, [&] { return files.OpenForReading(path); });
  return ScanLastTrackNumber(*file, startValue, onFailure);
  // The file is closed as `file` goes out of scope; it was only read.
}

}  // namespace varnite
