// The real file layer on POSIX systems: the native build, its tests and tools.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  void Close() {
    int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw ErrorFromErrno(errno);
  }

 private:
  int fd_;
};

int OpenChecked(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw ErrorFromErrno(errno);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    throw MakeFileError(FileFault::AccessConflict);
  }
  return fd;
}

class PosixInputFile final : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
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
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  std::size_t Write(const char* data, std::size_t size) override {
    for (;;) {
      ssize_t put = ::write(fd_.get(), data, size);
      if (put > 0) return static_cast<std::size_t>(put);
      if (put < 0 && errno == EINTR) continue;
      throw ErrorFromErrno(put < 0 ? errno : ENOSPC);
    }
  }
  void Close() override { fd_.Close(); }

 private:
  Descriptor fd_;
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
