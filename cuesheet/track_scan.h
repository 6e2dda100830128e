// Finds the number of the last track declared in a CDRWIN cue sheet, without parsing its
// grammar: the file is read as comma- and line-delimited fields, every field whose first
// five characters spell TRACK (any case) is a track record, and its number is taken from
// characters 7 and 8. The last record in the file wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cuesheet/step_retry.h"
#include "fileio/file_system.h"

namespace varnite {

// All that is kept of a field: its first eight characters decide everything the retry
// rule's scan reads; the rest kept lets the gate read a last track's number as written.
struct FieldHead {
  static constexpr std::size_t kKept = 24;
  char text[kKept] = {};
  std::size_t length = 0;  // characters kept, min(field length, kKept)
  bool cut = false;        // the field had more characters than were kept
};

bool IsTrackRecord(const FieldHead& field);
// The failure raised when a track record's number is not a number.
OperationError MakeTypeMismatchError();
// The number in characters 7 and 8 of a track record; throws the type-mismatch error when
// they are not a number.
std::int32_t TrackNumberOf(const FieldHead& field);
// The number of a track record as written, every digit from character 7 on: "TRACK 100"
// is 100 where TrackNumberOf reads 10. At most kManyTracks, which also stands for digits
// running past what was kept. Meant for a record whose TrackNumberOf is a number.
inline constexpr std::int64_t kManyTracks = 999'999'999;
std::int64_t WrittenTrackNumber(const FieldHead& field);

// Reads a file field by field in large blocks, in constant memory.
class FieldReader {
 public:
  FieldReader(InputFile& file, StepFailureHandler& onFailure);
  FieldReader(const FieldReader&) = delete;
  FieldReader& operator=(const FieldReader&) = delete;
  ~FieldReader();

  // The end-of-file test: true when no byte is left to read.
  bool AtEnd();
  // Reads the next field and consumes its delimiter.
  FieldHead ReadField();

 private:
  bool Available() { return pos_ != end_ || Fill(); }
  bool Fill();
  void SkipToDelimiter();
  void ConsumeLineEnd();

  InputFile& file_;
  StepFailureHandler& onFailure_;
  char* buffer_;
  const char* pos_;
  const char* end_;
  bool atEof_ = false;
  bool firstFill_ = true;
};

// The scan over an open file; `startValue` is returned when there is no track record.
std::int32_t ScanLastTrackNumber(InputFile& file, std::int32_t startValue,
                                 StepFailureHandler& onFailure);

// What the gate's scan of a whole sheet found. It reads on past a track record whose
// number is not a number, so that what the rest of the file holds can be judged first.
struct TrackRecords {
  bool any = false;
  FieldHead last;  // the last track record, when there is any
  bool anyBadNumber = false;
  FieldHead firstBadNumber;  // the first whose characters 7 and 8 are not a number
};
TrackRecords ScanTrackRecords(InputFile& file, StepFailureHandler& onFailure);

// Opens `path`, scans it and closes it. Each failing step (open, read, number) goes to
// `onFailure` and is then attempted again.
std::int32_t FindLastTrackNumber(FileSystem& files, const std::string& path,
                                 std::int32_t startValue, StepFailureHandler& onFailure);

}  // namespace varnite
