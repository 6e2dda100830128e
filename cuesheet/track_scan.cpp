#include "cuesheet/track_scan.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnite {
namespace {

constexpr std::size_t kBlockSize = std::size_t{256} * 1024;

// Blanks skipped before a field and around a track number. A tab counts as a blank:
// many cue sheets indent with tabs.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The characters that end a field: a comma or a line end for an unquoted field; the
// closing quote or a line end for a quoted one (a line end ends even an unterminated quote,
// so one broken line cannot swallow the tracks after it).
struct Stops {
  char a, b, c;
  bool Match(char x) const { return x == a || x == b || x == c; }
};
constexpr Stops kEndsUnquoted{',', '\r', '\n'};
constexpr Stops kEndsQuoted{'"', '\r', '\n'};

// The first of the three characters in [p, end), or end. Sixteen bytes at a time where
// the compiler offers SSE2: most of a cue sheet's bytes are passed over here.
const char* FindStop(const char* p, const char* end, const Stops& stops) {
#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
  const __m128i a = _mm_set1_epi8(stops.a), b = _mm_set1_epi8(stops.b), c = _mm_set1_epi8(stops.c);
  while (end - p >= 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(x, b)), _mm_cmpeq_epi8(x, c)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p != end && !stops.Match(*p)) ++p;
  return p;
}

// Bytes outside ASCII are kept as they are and never match: only ASCII letters, digits,
// signs and blanks take part in the test and the number, whatever the code page.
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

OperationError MakeTypeMismatchError() { return {13, "Type mismatch"}; }

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
  // Blanks, then an optional sign, at least one digit, then blanks; nothing else is a
  // number here, so "1." and ".5" are conversion failures like "AB".
  constexpr std::size_t kNumberEnd = 8;
  const char* p = field.text + 6;
  const char* end = field.text + std::min(std::max<std::size_t>(field.length, 6), kNumberEnd);
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

std::int64_t WrittenTrackNumber(const FieldHead& field) {
  const char* p = field.text + 6;
  const char* end = field.text + std::max<std::size_t>(field.length, 6);
  while (p != end && IsBlank(*p)) ++p;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = (*p++ == '-');
  std::int64_t value = 0;
  while (p != end && *p >= '0' && *p <= '9') {
    value = std::min(value * 10 + (*p++ - '0'), kManyTracks);
  }
  if (p == end && field.cut) value = kManyTracks;  // the digits went on past what was kept
  return negative ? -value : value;
}

FieldReader::FieldReader(InputFile& file, StepFailureHandler& onFailure)
    : file_(file), onFailure_(onFailure), buffer_(new char[kBlockSize]), pos_(buffer_),
      end_(buffer_) {}

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
      if (more == 0) {
        atEof_ = true;  // the end was read once; it is not read again
        break;
      }
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
    pos_ = FindStop(pos_, end_, kEndsUnquoted);
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
  const Stops& ends = quoted ? kEndsQuoted : kEndsUnquoted;
  for (;;) {
    // Find the delimiter, keeping no more than the first kKept characters on the way.
    const char* stop = FindStop(pos_, end_, ends);
    const std::size_t take =
        std::min(static_cast<std::size_t>(stop - pos_), FieldHead::kKept - field.length);
    std::memcpy(field.text + field.length, pos_, take);
    field.length += take;
    if (take < static_cast<std::size_t>(stop - pos_)) field.cut = true;
    pos_ = stop;
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
  std::int32_t lastTrack = startValue;
  FieldReader reader(file, onFailure);
  while (!reader.AtEnd()) {
    const FieldHead field = reader.ReadField();
    if (IsTrackRecord(field)) {
      lastTrack = AttemptStep(onFailure, [&] { return TrackNumberOf(field); });
    }
  }
  return lastTrack;
}

TrackRecords ScanTrackRecords(InputFile& file, StepFailureHandler& onFailure) {
  TrackRecords found;
  FieldReader reader(file, onFailure);
  while (!reader.AtEnd()) {
    const FieldHead field = reader.ReadField();
    if (!IsTrackRecord(field)) continue;
    found.any = true;
    found.last = field;
    if (!found.anyBadNumber) {
      try {
        TrackNumberOf(field);
      } catch (const OperationError&) {
        found.anyBadNumber = true;
        found.firstBadNumber = field;
      }
    }
  }
  return found;
}

std::int32_t FindLastTrackNumber(FileSystem& files, const std::string& path,
                                 std::int32_t startValue, StepFailureHandler& onFailure) {
  auto file = AttemptStep(onFailure, [&] { return files.OpenForReading(path); });
  return ScanLastTrackNumber(*file, startValue, onFailure);
  // The file is closed as `file` goes out of scope; it was only read.
}

}  // namespace varnite
