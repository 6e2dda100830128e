// The one open file an edit of a cue sheet works through, from its first check to its last
// append. The sheet is opened once, for reading and appending, with other programs allowed
// to read it only: what the checks judged is what is written to, and nothing else can add
// to it or rewrite it meanwhile. Every failure is an OperationError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fileio/file_system.h"

namespace varnite {

// What the handle opened, as the system tells it from the handle itself.
enum class OpenedKind {
  DiskFile,  // a regular file on a disk
  Folder,
  NotDiskFile,  // a device (NUL, a console), a pipe, a socket
  Link,         // a reparse point, where the system cannot say what it leads to (XP)
};

class EditHandle {
 public:
  virtual ~EditHandle() = default;
  virtual OpenedKind Kind() = 0;
  // The full path of the file opened, after every link, as UTF-8 (C:\..., \\server\...),
  // or where only that can be had, its path on its drive (\folder\name.cue); empty where
  // the system cannot tell (Windows XP), where Kind() answers for links.
  virtual std::string FinalPath() = 0;
  // Reads up to `size` bytes from `offset`; returns 0 only at the end of the file.
  virtual std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
  // Writes up to `size` bytes at the end of the file and returns how many were written
  // (at least one). A failure after some bytes went out is reported by the next call.
  virtual std::size_t Append(const char* data, std::size_t size) = 0;
  // Has the system write what was appended through to the device (OutputFile::Flush).
  virtual void Flush() = 0;
  // Cuts the file back to its first `length` bytes.
  virtual void CutBack(std::uint64_t length) = 0;
};

// The handle read from `offset` on, as the track scan reads a file.
class HandleReader final : public InputFile {
 public:
  HandleReader(EditHandle& handle, std::uint64_t offset) : handle_(handle), offset_(offset) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t got = handle_.ReadAt(offset_, buffer, size);
    offset_ += got;
    return got;
  }
  std::uint64_t offset() const { return offset_; }

 private:
  EditHandle& handle_;
  std::uint64_t offset_;
};

}  // namespace varnite
