#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "fileio/utf.h"

namespace varnite {

bool Utf8ToWide(const std::string& text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return false;
  out.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                      out.data(), length);
  return true;
}

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  if (text.empty()) return out;
  int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return out;
  out.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  if (text.empty()) return out;
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  if (length <= 0) return out;
  out.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                      nullptr, nullptr);
  return out;
}

}  // namespace varnite
