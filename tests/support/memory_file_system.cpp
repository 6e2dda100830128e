#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <cstring>

#include "fileio/edit_handle.h"

namespace varnite::testing {
namespace {

class MemoryInput final : public InputFile {
 public:
  MemoryInput(MemoryFileSystem& fs, const std::string& path) : fs_(fs), path_(path) {
    ++fs_.openFiles;
  }
  ~MemoryInput() override { --fs_.openFiles; }
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = fs_.ReadFrom(path_, offset_, buffer, size);
    offset_ += n;
    return n;
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  std::size_t offset_ = 0;
};

class MemoryOutput final : public OutputFile {
 public:
  MemoryOutput(MemoryFileSystem& fs, const std::string& path) : fs_(fs), path_(path) {
    ++fs_.openFiles;
  }
  ~MemoryOutput() override {
    if (open_) --fs_.openFiles;
  }
  std::size_t Write(const char* data, std::size_t size) override {
    return fs_.WriteTo(path_, data, size);
  }
  void Flush() override {
    if (fs_.flushFailures > 0) {
      --fs_.flushFailures;
      throw MakeFileError(FileFault::DeviceError);
    }
  }
  void Close() override {
    if (fs_.closeFailures > 0) {
      --fs_.closeFailures;
      throw MakeFileError(FileFault::DeviceError);
    }
    if (open_) --fs_.openFiles;
    open_ = false;
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  bool open_ = true;
};

class MemoryEditHandle final : public EditHandle {
 public:
  MemoryEditHandle(MemoryFileSystem& fs, const std::string& path) : fs_(fs), path_(path) {
    ++fs_.openFiles;
  }
  ~MemoryEditHandle() override { --fs_.openFiles; }
  OpenedKind Kind() override {
    return fs_.devices.count(path_) ? OpenedKind::NotDiskFile : OpenedKind::DiskFile;
  }
  std::string FinalPath() override {
    auto link = fs_.links.find(path_);
    return link == fs_.links.end() ? path_ : link->second;
  }
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    return fs_.ReadFrom(path_, static_cast<std::size_t>(offset), buffer, size);
  }
  std::size_t Append(const char* data, std::size_t size) override {
    if (fs_.shortWrites > 0 && size > 1) {
      --fs_.shortWrites;
      return fs_.WriteTo(path_, data, size / 2);
    }
    return fs_.WriteTo(path_, data, size);
  }
  void Flush() override {
    if (fs_.flushFailures > 0) {
      --fs_.flushFailures;
      throw MakeFileError(FileFault::DeviceError);
    }
  }
  void CutBack(std::uint64_t length) override {
    if (fs_.cutBackFailures > 0) {
      --fs_.cutBackFailures;
      throw MakeFileError(FileFault::AccessDenied);
    }
    fs_.files.at(path_).resize(static_cast<std::size_t>(length));
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
};

}  // namespace

std::size_t MemoryFileSystem::ReadFrom(const std::string& path, std::size_t offset, char* buffer,
                                       std::size_t size) {
  ++reads;
  if (readFailures > 0 && reads >= readFailuresFrom) {
    --readFailures;
    throw MakeFileError(FileFault::DeviceError);
  }
  const std::string& data = files.at(path);
  std::size_t limit = readSizes.empty() ? size : readSizes[(reads - 1) % readSizes.size()];
  if (offset >= data.size()) {
    ++readsAtEnd;
    return 0;
  }
  std::size_t n = std::min({size, limit, data.size() - offset});
  std::memcpy(buffer, data.data() + offset, n);
  bytesRead += n;
  return n;
}

std::size_t MemoryFileSystem::WriteTo(const std::string& path, const char* data, std::size_t size) {
  if (breakPending) {
    breakPending = false;
    throw MakeFileError(FileFault::DeviceError);
  }
  if (diskSpace == 0) throw MakeFileError(FileFault::DiskFull);
  std::size_t n = std::min(size, diskSpace);
  if (bytesWritten < writeBreakAt && bytesWritten + n >= writeBreakAt) {
    n = writeBreakAt - bytesWritten;
    breakPending = true;
  }
  diskSpace -= n;
  bytesWritten += n;
  files[path].append(data, n);
  return n;
}

std::unique_ptr<EditHandle> MemoryFileSystem::OpenForEditing(const std::string& path) {
  ++opensForEditing;
  if (openEditFailures > 0) {
    --openEditFailures;
    throw MakeFileError(FileFault::AccessConflict);
  }
  if (!files.count(path)) throw MakeFileError(FileFault::NotFound);
  if (readOnly.count(path)) throw MakeFileError(FileFault::AccessDenied);
  return std::make_unique<MemoryEditHandle>(*this, path);
}

PathKind MemoryFileSystem::KindOf(const std::string& path) {
  ++kindLookups;
  if (folders.count(path)) return PathKind::Folder;
  return files.count(path) ? PathKind::File : PathKind::Missing;
}

std::unique_ptr<InputFile> MemoryFileSystem::OpenForReading(const std::string& path) {
  ++opensForReading;
  if (openReadFailures > 0 && opensForReading >= openReadFailuresFrom) {
    --openReadFailures;
    throw MakeFileError(FileFault::AccessConflict);
  }
  if (!files.count(path)) throw MakeFileError(FileFault::NotFound);
  return std::make_unique<MemoryInput>(*this, path);
}

std::unique_ptr<OutputFile> MemoryFileSystem::OpenForAppending(const std::string& path) {
  ++opensForAppending;
  if (openAppendFailures > 0) {
    --openAppendFailures;
    throw MakeFileError(FileFault::AccessConflict);
  }
  if (!files.count(path)) throw MakeFileError(FileFault::NotFound);
  if (readOnly.count(path)) throw MakeFileError(FileFault::AccessDenied);
  return std::make_unique<MemoryOutput>(*this, path);
}

std::unique_ptr<OutputFile> MemoryFileSystem::CreateOrTruncate(const std::string& path) {
  if (links.count(path)) throw InTheWayError(InTheWay::Link);
  if (folders.count(path)) throw InTheWayError(InTheWay::Folder);
  if (readOnly.count(path)) throw MakeFileError(FileFault::AccessDenied);
  files[path].clear();
  return std::make_unique<MemoryOutput>(*this, path);
}

const std::vector<std::vector<std::size_t>>& ReadPatterns() {
  constexpr std::size_t kAll = static_cast<std::size_t>(-1);
  static const std::vector<std::vector<std::size_t>> patterns = {
      {}, {1}, {2}, {3}, {7}, {15}, {17}, {1, kAll, 16, 2, 31, 5}};
  return patterns;
}

std::string DescribeReads(const std::vector<std::size_t>& sizes) {
  std::string text = sizes.empty() ? "whole reads" : "reads of";
  for (std::size_t size : sizes) {
    text += size == static_cast<std::size_t>(-1) ? " all" : " " + std::to_string(size);
  }
  return text;
}

}  // namespace varnite::testing
