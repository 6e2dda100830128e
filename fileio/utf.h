// UTF-8 <-> UTF-16 conversion for the Windows shell and file layer. The core keeps
// every text as UTF-8; only the edges that call the wide Win32 API convert.
#pragma once

#include <string>

namespace varnite {

// False (and `out` unspecified) when `text` is not valid UTF-8.
bool Utf8ToWide(const std::string& text, std::wstring& out);
std::wstring Utf8ToWide(const std::string& text);  // invalid bytes become U+FFFD
std::string WideToUtf8(const std::wstring& text);

}  // namespace varnite
