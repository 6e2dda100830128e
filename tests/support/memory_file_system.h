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

  // Failures still to come; each failing call uses one up. Opens for reading start to
  // fail at the one numbered openReadFailuresFrom, counting from 1.
  int openReadFailures = 0;
  int openReadFailuresFrom = 1;
  int openAppendFailures = 0;
  int openEditFailures = 0;
  // What an edit's handle finds it opened: a device for these paths, and for these the
  // file a link leads to (its final path). A create must not follow a link either.
  std::set<std::string> devices;
  std::map<std::string, std::string> links;
  // Writes that take only half of what they are given (at least one byte) and report no
  // failure, as a full disk under Wine does.
  int shortWrites = 0;
  int cutBackFailures = 0;
  int readFailures = 0;
  int readFailuresFrom = 1;  // reads start to fail at the one numbered so, from 1
  int flushFailures = 0;     // Flush() fails, as a drive that lost the data would
  int closeFailures = 0;     // Close() fails and the file stays open
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
  std::size_t bytesRead = 0;
  int opensForReading = 0;
  int opensForAppending = 0;
  int opensForEditing = 0;
  int openFiles = 0;
  int kindLookups = 0;

  PathKind KindOf(const std::string& path) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> OpenForAppending(const std::string& path) override;
  std::unique_ptr<EditHandle> OpenForEditing(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateOrTruncate(const std::string& path) override;

  // What every open file shares: reads and writes with their faults applied.
  std::size_t ReadFrom(const std::string& path, std::size_t offset, char* buffer, std::size_t size);
  std::size_t WriteTo(const std::string& path, const char* data, std::size_t size);

  // Bookkeeping of writeBreakAt.
  std::size_t bytesWritten = 0;
  bool breakPending = false;
};

// The read sizes that every table of file contents runs under: whole reads, one byte,
// small odd sizes, either side of 16 bytes, and a mix: one byte, then all that is asked.
const std::vector<std::vector<std::size_t>>& ReadPatterns();
std::string DescribeReads(const std::vector<std::size_t>& sizes);

}  // namespace varnite::testing
