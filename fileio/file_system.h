// Byte-exact file access for the core. Paths are UTF-8; every file is opened, used and
// closed within one operation, and nothing is translated (no text mode, no CR LF games).
// Every failure is an OperationError.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace varnite {

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes; returns 0 only at the end of the file.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Writes up to `size` bytes and returns how many were written (at least one).
  // A failure that comes after some bytes went out is reported by the next call,
  // so a caller always knows exactly what reached the file.
  virtual std::size_t Write(const char* data, std::size_t size) = 0;
  // Has the system write what was written through to the device, so that a disk, USB
  // stick or network share that lost it reports the failure here; may be called again
  // after a failure.
  virtual void Flush() = 0;
  // Closes the file, reporting a failure to do so; the destructor closes quietly.
  virtual void Close() = 0;
};

class EditHandle;  // fileio/edit_handle.h

// What stands at a path, as far as a look at it without opening it tells.
enum class PathKind { Missing, File, Folder };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Missing only when the system says nothing is or can be there (no such file or folder,
  // an invalid name); a path it cannot look at for another reason (no access to the folder
  // above) counts as a file, so that opening it reports the real reason.
  virtual PathKind KindOf(const std::string& path) = 0;
  // Opens an existing file for reading from its first byte.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
  // Opens an existing file so that every write lands at its end; never creates,
  // never truncates.
  virtual std::unique_ptr<OutputFile> OpenForAppending(const std::string& path) = 0;
  // Opens an existing file to be read and appended to (and cut back), with others allowed
  // to read it only, for as long as the handle is held; never creates, never truncates.
  virtual std::unique_ptr<EditHandle> OpenForEditing(const std::string& path) = 0;
  // Creates the file, or truncates it to nothing if it exists.
  virtual std::unique_ptr<OutputFile> CreateOrTruncate(const std::string& path) = 0;
};

// The machine's own files.
FileSystem& RealFileSystem();

// Writes all of `data`, continuing from `written` (bytes already out), which it keeps
// up to date so that a caller can retry after a failure without writing anything twice.
void WriteAll(OutputFile& file, const std::string& data, std::size_t& written);
// WriteAll, then Flush: one step that succeeds only once the data has reached the device,
// so that a write reported as done is done. Retried after a failure, it writes what is
// left and flushes again.
void WriteThrough(OutputFile& file, const std::string& data, std::size_t& written);

}  // namespace varnite
