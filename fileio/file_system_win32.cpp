// The real file layer on Windows: wide-character paths end to end, so a cue sheet in a
// folder whose name lies outside the ANSI code page opens as well as any other.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>
#include <vector>

#include "fileio/edit_handle.h"
#include "fileio/file_system.h"
#include "fileio/long_path.h"
#include "fileio/operation_error.h"
#include "fileio/system_function_win32.h"
#include "fileio/utf.h"

namespace varnite {
namespace {

// The default sharing of the C runtime's fopen: other programs (the CD recorder
// reading the dummy file) may read and write while we have the file open.
constexpr DWORD kShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;

OperationError ErrorFromLastError(DWORD error, const std::wstring& path) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return MakeFileError(FileFault::NotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return MakeFileError(FileFault::PathNotFound);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return MakeFileError(FileFault::BadName);
    case ERROR_ACCESS_DENIED: {
      // Windows answers "access denied" for a folder too; tell the two apart.
      DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return MakeFileError(FileFault::AccessConflict);
      return MakeFileError(FileFault::AccessDenied);
    }
    case ERROR_WRITE_PROTECT:
      return MakeFileError(FileFault::AccessDenied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return MakeFileError(FileFault::AccessConflict);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return MakeFileError(FileFault::DiskFull);
    default:
      return MakeFileError(FileFault::DeviceError);
  }
}

// Owns a handle from the moment CreateFileW returns it, so that nothing that throws
// afterwards (an allocation) can leave it open.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  // Given up only once the system has closed it. A CloseHandle that fails leaves the
  // handle as it was, so the retry asks again, and fails again if the cause remains,
  // rather than report a close that never happened.
  void Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    if (!CloseHandle(handle_)) throw ErrorFromLastError(GetLastError(), std::wstring());
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// The path as the file functions take it: UTF-16, and in \\?\ form when it is too long
// for the plain one. False for a name that cannot be one.
bool SystemPath(const std::string& path, std::wstring& wide) {
  if (path.empty() || !Utf8ToWide(path, wide)) return false;
  wide = ExtendedLengthPath(wide);
  return true;
}

Handle OpenChecked(const std::string& path, DWORD access, DWORD disposition, DWORD flags,
                   DWORD shareMode = kShareMode) {
  std::wstring wide;
  if (!SystemPath(path, wide)) throw MakeFileError(FileFault::BadName);
  // Windows refuses to write a read-only file by itself; say so here as well, so the
  // promise holds wherever the system is lax about it (Wine running as root).
  if (access != GENERIC_READ) {
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      throw MakeFileError(FileFault::AccessDenied);
    }
  }
  Handle handle(CreateFileW(wide.c_str(), access, shareMode, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL | flags, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) throw ErrorFromLastError(GetLastError(), wide);
  return handle;
}

// Throws when `attributes` (INVALID_FILE_ATTRIBUTES: nothing known) are not a plain
// file's. A link to a folder is a link first: what matters is that it leads elsewhere.
void RefuseWhatIsInTheWay(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) throw InTheWayError(InTheWay::Link);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw InTheWayError(InTheWay::Folder);
}

class Win32InputFile final : public InputFile {
 public:
  explicit Win32InputFile(Handle handle) : handle_(std::move(handle)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!ReadFile(handle_.get(), buffer, ask, &got, nullptr))
      throw ErrorFromLastError(GetLastError(), std::wstring());
    return got;
  }

 private:
  Handle handle_;
};

class Win32OutputFile final : public OutputFile {
 public:
  explicit Win32OutputFile(Handle handle) : handle_(std::move(handle)) {}
  std::size_t Write(const char* data, std::size_t size) override {
    DWORD put = 0;
    DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!WriteFile(handle_.get(), data, ask, &put, nullptr)) {
      DWORD error = GetLastError();
      if (put > 0) return put;  // the failure shows again on the next call
      throw ErrorFromLastError(error, std::wstring());
    }
    if (put == 0 && ask > 0) throw MakeFileError(FileFault::DiskFull);
    return put;
  }
  // Needs write access, which FILE_APPEND_DATA alone gives.
  void Flush() override {
    if (!FlushFileBuffers(handle_.get())) throw ErrorFromLastError(GetLastError(), std::wstring());
  }
  void Close() override { handle_.Close(); }

 private:
  Handle handle_;
};

// GetFinalPathNameByHandleW, which Windows has from Vista on: null on XP.
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
FinalPathFunction FinalPathLookup() {
  static const auto function =
      SystemFunction<FinalPathFunction>(L"kernel32.dll", "GetFinalPathNameByHandleW");
  return function;
}

// GetFileInformationByHandleEx, also from Vista on, for the file's name without its drive
// (FileNameInfo, class 2), where the final path cannot be had: Wine answers
// GetFinalPathNameByHandleW for a path of MAX_PATH characters or more with ERROR_MORE_DATA,
// however large the buffer, and this call with the whole name.
using FileInfoFunction = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
FileInfoFunction FileInfoLookup() {
  static const auto function =
      SystemFunction<FileInfoFunction>(L"kernel32.dll", "GetFileInformationByHandleEx");
  return function;
}

// The sheet an edit works on. GENERIC_WRITE rather than FILE_APPEND_DATA alone, because
// cutting back a block that could not be finished needs FILE_WRITE_DATA; every write is
// still placed at the end. Shared for reading only: while the edit runs, no other program
// can write, append to or replace what was checked.
class Win32EditHandle final : public EditHandle {
 public:
  explicit Win32EditHandle(Handle handle) : handle_(std::move(handle)) {}
  OpenedKind Kind() override {
    // FILE_TYPE_DISK is a file; the NUL device and consoles are FILE_TYPE_CHAR, pipes
    // FILE_TYPE_PIPE.
    if (GetFileType(handle_.get()) != FILE_TYPE_DISK) return OpenedKind::NotDiskFile;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_.get(), &info)) throw LastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return OpenedKind::Folder;
    // Without the final path (XP) a link was opened as itself, and is refused. Later
    // Windows followed it, and the final path tells where to; a file that keeps a reparse
    // point of another kind (a cloud placeholder, deduplication) is a file like any other.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FinalPathLookup())
      return OpenedKind::Link;
    return OpenedKind::DiskFile;
  }
  std::string FinalPath() override {
    const FinalPathFunction finalPath = FinalPathLookup();
    if (!finalPath) return std::string();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      // VOLUME_NAME_DOS | FILE_NAME_NORMALIZED: \\?\C:\... or \\?\UNC\server\...
      const DWORD length =
          finalPath(handle_.get(), path.data(), static_cast<DWORD>(path.size()), 0);
      if (length == 0) return NameWithoutDrive();
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      path.resize(length);  // too small: the answer is the size needed, with the NUL
    }
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
      path = L"\\" + path.substr(7);
    } else if (path.compare(0, 4, L"\\\\?\\") == 0) {
      path = path.substr(4);
    }
    return WideToUtf8(path);
  }
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!ReadFile(handle_.get(), buffer, ask, &got, &at)) {
      // A positioned read at or past the end fails so, rather than reading nothing.
      if (GetLastError() == ERROR_HANDLE_EOF) return 0;
      throw LastError();
    }
    return got;
  }
  std::size_t Append(const char* data, std::size_t size) override {
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(handle_.get(), none, nullptr, FILE_END)) throw LastError();
    DWORD put = 0;
    const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!WriteFile(handle_.get(), data, ask, &put, nullptr)) {
      const DWORD error = GetLastError();
      if (put > 0) return put;  // the failure shows again on the next call
      throw ErrorFromLastError(error, std::wstring());
    }
    if (put == 0 && ask > 0) throw MakeFileError(FileFault::DiskFull);
    return put;
  }
  void Flush() override {
    if (!FlushFileBuffers(handle_.get())) throw LastError();
  }
  void CutBack(std::uint64_t length) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(handle_.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_.get()))
      throw LastError();
  }

 private:
  static OperationError LastError() { return ErrorFromLastError(GetLastError(), std::wstring()); }
  // \folder\...\name.cue, of the file the handle holds, after every link as the final
  // path is; the failure of the final path call when this one fails too.
  std::string NameWithoutDrive() {
    const DWORD finalPathError = GetLastError();
    const FileInfoFunction fileInfo = FileInfoLookup();
    constexpr int kFileNameInfo = 2;
    // FILE_NAME_INFO: the name's length in bytes, then the name, with room for the longest.
    std::vector<DWORD> info(1 + 32768 / 2 + 1);
    const std::size_t bytes = info.size() * sizeof(DWORD);
    if (!fileInfo ||
        !fileInfo(handle_.get(), kFileNameInfo, info.data(), static_cast<DWORD>(bytes))) {
      throw ErrorFromLastError(finalPathError, std::wstring());
    }
    const auto* name = reinterpret_cast<const wchar_t*>(info.data() + 1);
    return WideToUtf8(std::wstring(name, info[0] / sizeof(wchar_t)));
  }
  Handle handle_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<EditHandle> OpenForEditing(const std::string& path) override {
    // Where the final path cannot be asked for (XP), a link is opened as itself, so that
    // its reparse point shows and the edit refuses it.
    const DWORD flags = FinalPathLookup() ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
    return std::make_unique<Win32EditHandle>(
        OpenChecked(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, flags, FILE_SHARE_READ));
  }
  PathKind KindOf(const std::string& path) override {
    std::wstring wide;
    if (!SystemPath(path, wide)) return PathKind::Missing;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
    }
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME ||
            error == ERROR_INVALID_DRIVE)
               ? PathKind::Missing
               : PathKind::File;
  }
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    return std::make_unique<Win32InputFile>(
        OpenChecked(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  }
  std::unique_ptr<OutputFile> OpenForAppending(const std::string& path) override {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system itself places every write at
    // the end of the file, so nothing already in it can be overwritten.
    return std::make_unique<Win32OutputFile>(
        OpenChecked(path, FILE_APPEND_DATA | SYNCHRONIZE, OPEN_EXISTING, 0));
  }
  // Opens whatever is at the path itself, never a file a link there points to, and looks
  // at it before anything is cut: a folder or a link is refused, and nothing is written.
  std::unique_ptr<OutputFile> CreateOrTruncate(const std::string& path) override {
    std::wstring wide;
    if (!SystemPath(path, wide)) throw MakeFileError(FileFault::BadName);
    auto openAtPath = [&] {
      try {
        return OpenChecked(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT);
      } catch (const OperationError&) {
        // A folder, or a link to one, cannot be opened as a file at all.
        RefuseWhatIsInTheWay(GetFileAttributesW(wide.c_str()));
        throw;
      }
    };
    Handle handle = openAtPath();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info)) {
      throw ErrorFromLastError(GetLastError(), std::wstring());
    }
    RefuseWhatIsInTheWay(info.dwFileAttributes);
    // Just opened, so at its first byte: cut there.
    if (!SetEndOfFile(handle.get())) throw ErrorFromLastError(GetLastError(), std::wstring());
    return std::make_unique<Win32OutputFile>(std::move(handle));
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static Win32FileSystem files;
  return files;
}

}  // namespace varnite
