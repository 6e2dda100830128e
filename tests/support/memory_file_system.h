// An in-memory FileSystem that can be told to fail: opens, reads and writes fail on demand,
// so every failure path of the handlers can be driven and the files checked afterwards.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fileio/file_system.h"
#include "fileio/operation_error.h"

namespace varnite::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> readOnly;
  std::set<std::string> folders;
  std::set<std::string> links;  // links to elsewhere, which a create must not follow

  // Failures still to come; each failing call uses one up. Opens for reading start to
  // fail at the one numbered openReadFailuresFrom, counting from 1.
  int openReadFailures = 0;
  int openReadFailuresFrom = 1;
  int openAppendFailures = 0;
  int readFailures = 0;
  int flushFailures = 0;  // Flush() fails, as a drive that lost the data would
  int closeFailures = 0;  // Close() fails and the file stays open
  // Writes fail with "Disk full" once this many bytes have gone out in total.
  std::size_t diskSpace = static_cast<std::size_t>(-1);
  // The write that takes the bytes gone out in total to this many stops there, and the
  // write after it fails once (Device I/O error); later writes go through, as on a drive
  // that drops out for a moment.
  std::size_t writeBreakAt = static_cast<std::size_t>(-1);
  // The most bytes each Read call returns, taken in turn and then from the first again,
  // so that fields, quotes, line ends and byte order marks fall across the edges of
  // what one read delivers. Empty: a read returns all it is asked for.
  std::vector<std::size_t> readSizes;

  // What happened, for assertions.
  int reads = 0;
  int readsAtEnd = 0;  // reads that found nothing left
  int opensForReading = 0;
  int opensForAppending = 0;
  int openFiles = 0;
  int kindLookups = 0;

  PathKind KindOf(const std::string& path) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> OpenForAppending(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateOrTruncate(const std::string& path) override;

  // Bookkeeping of writeBreakAt.
  std::size_t bytesWritten = 0;
  bool breakPending = false;
};

// The read sizes that every table of file contents runs under: whole reads, one byte,
// small odd sizes, either side of 16 bytes, and a mix: one byte, then all that is asked.
const std::vector<std::vector<std::size_t>>& ReadPatterns();
std::string DescribeReads(const std::vector<std::size_t>& sizes);

}  // namespace varnite::testing
