#include "fileio/operation_error.h"

namespace varnite {

OperationError MakeFileError(FileFault fault) {
  // The numbers and wording are the classic run-time error table that users of
  // Windows utilities of this kind know from elsewhere.
  switch (fault) {
    case FileFault::NotFound:
      return {53, "File not found"};
    case FileFault::PathNotFound:
      return {76, "Path not found"};
    case FileFault::BadName:
      return {52, "Bad file name or number"};
    case FileFault::AccessDenied:
      return {70, "Permission denied"};
    case FileFault::AccessConflict:
      return {75, "Path/File access error"};
    case FileFault::DiskFull:
      return {61, "Disk full"};
    case FileFault::DeviceError:
      break;
  }
  return {57, "Device I/O error"};
}

}  // namespace varnite
