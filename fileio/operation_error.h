// Failures the user is told about, as a run-time error number and a description
// (53, "File not found"), and the mapping from the platform's file errors.
#pragma once

#include <stdexcept>
#include <string>

namespace varnite {

class OperationError : public std::runtime_error {
 public:
  OperationError(int code, const std::string& description)
      : std::runtime_error(description), code_(code) {}

  int code() const { return code_; }
  std::string description() const { return what(); }

 private:
  int code_;
};

// What went wrong with a file, independent of the platform that reported it.
enum class FileFault {
  NotFound,
  PathNotFound,
  BadName,
  AccessDenied,
  AccessConflict,  // a folder where a file was expected, or a file locked by another program
  DiskFull,
  DeviceError,
};

OperationError MakeFileError(FileFault fault);

}  // namespace varnite
