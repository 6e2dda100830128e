// The real file layer on POSIX systems: the native build, its tests and tools.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "fileio/edit_handle.h"
#include "fileio/file_system.h"
#include "fileio/operation_error.h"

namespace varnite {
namespace {

OperationError ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return MakeFileError(FileFault::NotFound);
    case ENOTDIR:
      return MakeFileError(FileFault::PathNotFound);
    case ENAMETOOLONG:
    case EINVAL:
      return MakeFileError(FileFault::BadName);
    case EACCES:
    case EPERM:
    case EROFS:
      return MakeFileError(FileFault::AccessDenied);
    case EISDIR:
    case ETXTBSY:
    case EBUSY:
      return MakeFileError(FileFault::AccessConflict);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return MakeFileError(FileFault::DiskFull);
    default:
      return MakeFileError(FileFault::DeviceError);
  }
}

// Writes what the system takes of `size` bytes at once (at least one) and returns how
// many; a write that takes nothing is a full disk.
std::size_t WriteSome(int fd, const char* data, std::size_t size) {
  for (;;) {
    ssize_t put = ::write(fd, data, size);
    if (put > 0) return static_cast<std::size_t>(put);
    if (put < 0 && errno == EINTR) continue;
    throw ErrorFromErrno(put < 0 ? errno : ENOSPC);
  }
}

// Has the system write the file through to its device.
void FlushThrough(int fd) {
  for (;;) {
    if (::fsync(fd) == 0) return;
    // A pipe or a device such as /dev/full holds nothing to write through.
    if (errno == EINVAL) return;
    if (errno != EINTR) throw ErrorFromErrno(errno);
  }
}

// Owns a descriptor from the moment open() returns it, so that nothing that throws
// afterwards (a failed check, an allocation) can leave it open.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // The number is given up before close() answers: the system frees it even when it
  // reports a failure, and by a retry it may belong to another file.
  void Close() {
    int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw ErrorFromErrno(errno);
  }

 private:
  int fd_;
};

Descriptor OpenChecked(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw ErrorFromErrno(errno);
  Descriptor owned(fd);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    throw MakeFileError(FileFault::AccessConflict);
  }
  return owned;
}

class PosixInputFile final : public InputFile {
 public:
  explicit PosixInputFile(Descriptor fd) : fd_(std::move(fd)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t got = ::read(fd_.get(), buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) throw ErrorFromErrno(errno);
    }
  }

 private:
  Descriptor fd_;
};

class PosixOutputFile final : public OutputFile {
 public:
  explicit PosixOutputFile(Descriptor fd) : fd_(std::move(fd)) {}
  std::size_t Write(const char* data, std::size_t size) override {
    return WriteSome(fd_.get(), data, size);
  }
  void Flush() override { FlushThrough(fd_.get()); }
  void Close() override { fd_.Close(); }

 private:
  Descriptor fd_;
};

// The sheet opened read-write with O_APPEND: every write lands at the end whatever else
// happens, while reads take any offset and ftruncate can still cut the file back. POSIX has
// no share modes; the native build is for tests and tools, not for users' sheets.
class PosixEditHandle final : public EditHandle {
 public:
  PosixEditHandle(Descriptor fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  OpenedKind Kind() override {
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0) throw ErrorFromErrno(errno);
    if (S_ISDIR(info.st_mode)) return OpenedKind::Folder;
    return S_ISREG(info.st_mode) ? OpenedKind::DiskFile : OpenedKind::NotDiskFile;
  }
  std::string FinalPath() override {
    char resolved[PATH_MAX];
#ifdef __linux__
    // The file the descriptor holds, even if the path has since been changed.
    const std::string link = "/proc/self/fd/" + std::to_string(fd_.get());
    const ssize_t n = ::readlink(link.c_str(), resolved, sizeof resolved - 1);
    if (n > 0) return std::string(resolved, static_cast<std::size_t>(n));
#endif
    if (!::realpath(path_.c_str(), resolved)) throw ErrorFromErrno(errno);
    return resolved;
  }
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t got = ::pread(fd_.get(), buffer, size, static_cast<off_t>(offset));
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) throw ErrorFromErrno(errno);
    }
  }
  std::size_t Append(const char* data, std::size_t size) override {
    return WriteSome(fd_.get(), data, size);
  }
  void Flush() override { FlushThrough(fd_.get()); }
  void CutBack(std::uint64_t length) override {
    while (::ftruncate(fd_.get(), static_cast<off_t>(length)) != 0) {
      if (errno != EINTR) throw ErrorFromErrno(errno);
    }
  }

 private:
  Descriptor fd_;
  std::string path_;
};

class PosixFileSystem final : public FileSystem {
 public:
  PathKind KindOf(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
    }
    return (errno == ENOENT || errno == ENOTDIR) ? PathKind::Missing : PathKind::File;
  }
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    return std::make_unique<PosixInputFile>(OpenChecked(path, O_RDONLY));
  }
  std::unique_ptr<OutputFile> OpenForAppending(const std::string& path) override {
    return std::make_unique<PosixOutputFile>(OpenChecked(path, O_WRONLY | O_APPEND));
  }
  std::unique_ptr<EditHandle> OpenForEditing(const std::string& path) override {
    return std::make_unique<PosixEditHandle>(OpenChecked(path, O_RDWR | O_APPEND), path);
  }
  std::unique_ptr<OutputFile> CreateOrTruncate(const std::string& path) override {
    return std::make_unique<PosixOutputFile>(OpenChecked(path, O_WRONLY | O_CREAT | O_TRUNC));
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace varnite
