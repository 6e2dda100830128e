#include "window/hand_over.h"

namespace varnite {
namespace {

constexpr std::size_t kSenderUnits = 2;

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsDrivePath(const std::u16string& path) {
  return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == u':' && path[2] == u'\\';
}

// "\\server\share..." with the leading backslashes already taken off: a server name that is
// neither empty nor one of the prefixes "?" and ".".
bool IsShareRest(const std::u16string& rest) {
  const std::size_t end = rest.find(u'\\');
  if (end == 0 || end == std::u16string::npos || end + 1 >= rest.size()) return false;
  return rest.compare(0, end, u"?") != 0 && rest.compare(0, end, u".") != 0;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string EncodeHandOver(const HandOver& handOver) {
  std::u16string block;
  block += static_cast<char16_t>(handOver.sender & 0xFFFF);
  block += static_cast<char16_t>(handOver.sender >> 16);
  for (const std::u16string& path : handOver.paths) {
    block += path;
    block += u'\0';
  }
  block += u'\0';
  return block;
}

std::optional<HandOver> DecodeHandOver(std::uintptr_t tag, const void* block, std::size_t bytes) {
  if (tag != kHandOverTag || !block || bytes % sizeof(char16_t) != 0 ||
      bytes / sizeof(char16_t) <= kSenderUnits ||
      reinterpret_cast<std::uintptr_t>(block) % alignof(char16_t) != 0) {
    return std::nullopt;
  }
  const auto* text = static_cast<const char16_t*>(block);
  const std::size_t units = bytes / sizeof(char16_t);
  HandOver handOver;
  handOver.sender = static_cast<std::uint32_t>(text[0]) | static_cast<std::uint32_t>(text[1]) << 16;
  if (handOver.sender == 0) return std::nullopt;
  std::size_t at = kSenderUnits;
  while (at < units) {
    const std::size_t start = at;
    while (at < units && text[at] != u'\0') ++at;
    if (at == units) break;  // a path without its NUL
    // An empty entry closes the list, and must close the block too.
    if (at == start) return at + 1 == units ? std::optional(handOver) : std::nullopt;
    handOver.paths.emplace_back(text + start, at - start);
    if (!IsFullPath(handOver.paths.back())) return std::nullopt;
    ++at;
  }
  return std::nullopt;
}

bool IsFullPath(const std::u16string& path) {
  if (IsDrivePath(path)) return true;
  if (StartsWith(path, u"\\\\?\\UNC\\")) return IsShareRest(path.substr(8));
  if (StartsWith(path, u"\\\\?\\")) return IsDrivePath(path.substr(4));
  return StartsWith(path, u"\\\\") && IsShareRest(path.substr(2));
}

bool IsAnotherVarnite(std::uint32_t sender, std::uint32_t self, const std::u16string& senderImage,
                      const std::u16string& selfImage) {
  if (sender == 0 || sender == self || senderImage.empty() ||
      senderImage.size() != selfImage.size()) {
    return false;
  }
  for (std::size_t i = 0; i < senderImage.size(); ++i) {
    if (FoldAscii(senderImage[i]) != FoldAscii(selfImage[i])) return false;
  }
  return true;
}

std::u16string SingleInstanceMutexName(PrivateNamespace privateNamespace) {
  if (privateNamespace == PrivateNamespace::kMade ||
      privateNamespace == PrivateNamespace::kOpened) {
    return kPrivateNamespacePrefix + std::u16string(u"\\Running");
  }
  // Within a session there is one desktop, and two windows there would be the same trouble
  // whichever account started them, so the name holds no user.
  return u"Local\\Quenmore.Varnite";
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace varnite
