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

// What stands where a file was to be created, when it is no plain file: a folder, or a
// link (a symbolic link, junction or mount point) that would take the write elsewhere.
enum class InTheWay { Folder, Link };

// A file not written because something else is at its path; nothing was written through
// it. Reported as "Path/File access error", as a folder there always was.
class InTheWayError : public OperationError {
 public:
  explicit InTheWayError(InTheWay what)
      : OperationError(MakeFileError(FileFault::AccessConflict)), what_(what) {}
  InTheWay inTheWay() const { return what_; }

 private:
  InTheWay what_;
};

}  // namespace varnite
