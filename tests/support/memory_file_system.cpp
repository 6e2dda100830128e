#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace varnite::testing {
namespace {

class MemoryInput final : public InputFile {
 public:
  MemoryInput(MemoryFileSystem& fs, const std::string& path) : fs_(fs), path_(path) {
    ++fs_.openFiles;
  }
  ~MemoryInput() override { --fs_.openFiles; }
  std::size_t Read(char* buffer, std::size_t size) override {
    ++fs_.reads;
    if (fs_.readFailures > 0) {
      --fs_.readFailures;
      throw MakeFileError(FileFault::DeviceError);
    }
    const std::string& data = fs_.files.at(path_);
    const auto& sizes = fs_.readSizes;
    std::size_t limit = sizes.empty() ? size : sizes[(fs_.reads - 1) % sizes.size()];
    std::size_t n = std::min({size, limit, data.size() - offset_});
    if (offset_ == data.size()) ++fs_.readsAtEnd;
    std::memcpy(buffer, data.data() + offset_, n);
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
    if (fs_.breakPending) {
      fs_.breakPending = false;
      throw MakeFileError(FileFault::DeviceError);
    }
    if (fs_.diskSpace == 0) throw MakeFileError(FileFault::DiskFull);
    std::size_t n = std::min(size, fs_.diskSpace);
    if (fs_.bytesWritten < fs_.writeBreakAt && fs_.bytesWritten + n >= fs_.writeBreakAt) {
      n = fs_.writeBreakAt - fs_.bytesWritten;
      fs_.breakPending = true;
    }
    fs_.diskSpace -= n;
    fs_.bytesWritten += n;
    fs_.files[path_].append(data, n);
    return n;
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

}  // namespace

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
