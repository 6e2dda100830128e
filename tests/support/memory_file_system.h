// An in-memory FileSystem that can be told to fail: opens, reads and writes fail on demand,
// so every failure path of the handlers can be driven and the files checked afterwards.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

#include "fileio/file_system.h"
#include "fileio/operation_error.h"

namespace varnite::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> readOnly;
  std::set<std::string> folders;

  // Failures still to come; each failing call uses one up.
  int openReadFailures = 0;
  int openAppendFailures = 0;
  int readFailures = 0;
  // Writes fail with "Disk full" once this many bytes have gone out in total.
  std::size_t diskSpace = static_cast<std::size_t>(-1);
  // The most bytes one Read call returns, to exercise block boundaries.
  std::size_t readChunk = static_cast<std::size_t>(-1);

  // What happened, for assertions.
  int reads = 0;
  int opensForReading = 0;
  int opensForAppending = 0;
  int openFiles = 0;
  int kindLookups = 0;

  PathKind KindOf(const std::string& path) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> OpenForAppending(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateOrTruncate(const std::string& path) override;
};

}  // namespace varnite::testing
