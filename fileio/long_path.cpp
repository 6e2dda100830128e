#include "fileio/long_path.h"

#include <vector>

namespace varnite {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

std::size_t NextSeparator(const std::wstring& path, std::size_t from) {
  while (from < path.size() && !IsSeparator(path[from])) ++from;
  return from;
}

// The segments of `path` from `from` on, with "." dropped and ".." taking the one before
// it away; empty segments (doubled or trailing separators) are dropped too.
std::vector<std::wstring> Segments(const std::wstring& path, std::size_t from) {
  std::vector<std::wstring> segments;
  std::size_t start = from;
  while (start <= path.size()) {
    const std::size_t end = NextSeparator(path, start);
    const std::wstring segment = path.substr(start, end - start);
    if (segment == L"..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != L".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  return segments;
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.size() < kMaxPath) return path;
  std::wstring root, prefixed;
  std::vector<std::wstring> segments;
  if (IsLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
    root = path.substr(0, 2) + L'\\';
    prefixed = L"\\\\?\\" + root;
    segments = Segments(path, 3);
  } else if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    if ((path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3])) return path;
    // \\server\share: the two names are the root, which ".." never climbs above.
    const std::size_t serverEnd = NextSeparator(path, 2);
    if (serverEnd == path.size()) return path;
    const std::size_t shareEnd = NextSeparator(path, serverEnd + 1);
    const std::wstring share = path.substr(2, serverEnd - 2) + L'\\' +
                               path.substr(serverEnd + 1, shareEnd - serverEnd - 1);
    root = L"\\\\" + share + L'\\';
    prefixed = L"\\\\?\\UNC\\" + share + L'\\';
    segments = Segments(path, shareEnd + 1);
  } else {
    return path;  // relative: to the current folder, or to the current drive's
  }
  std::wstring rest;
  for (const std::wstring& segment : segments) rest += (rest.empty() ? L"" : L"\\") + segment;
  if (root.size() + rest.size() < kMaxPath) return root + rest;
  return prefixed + rest;
}

}  // namespace varnite
