#include "app/hand_over.h"

namespace varnite {

std::u16string EncodeHandOver(const std::vector<std::u16string>& paths) {
  std::u16string block;
  for (const std::u16string& path : paths) {
    block += path;
    block += u'\0';
  }
  block += u'\0';
  return block;
}

std::optional<std::vector<std::u16string>> DecodeHandOver(std::uintptr_t tag, const void* block,
                                                          std::size_t bytes) {
  if (tag != kHandOverTag || !block || bytes == 0 || bytes % sizeof(char16_t) != 0 ||
      reinterpret_cast<std::uintptr_t>(block) % alignof(char16_t) != 0) {
    return std::nullopt;
  }
  const auto* text = static_cast<const char16_t*>(block);
  const std::size_t units = bytes / sizeof(char16_t);
  std::vector<std::u16string> paths;
  std::size_t at = 0;
  while (at < units) {
    const std::size_t start = at;
    while (at < units && text[at] != u'\0') ++at;
    if (at == units) break;  // a path without its NUL
    // An empty entry closes the list, and must close the block too.
    if (at == start) return at + 1 == units ? std::optional(paths) : std::nullopt;
    paths.emplace_back(text + start, at - start);
    ++at;
  }
  return std::nullopt;
}

}  // namespace varnite
