// What a second start of Varnite hands to the one already running: the paths of its
// command line, sent to the running window as a block of UTF-16 text (WM_COPYDATA).
// Portable, so that the checks on what arrives, which any program that finds the window
// can send, are tested without a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnite {

// Marks a block as Varnite's hand-over (the dwData of WM_COPYDATA): "Vrnt".
inline constexpr std::uintptr_t kHandOverTag = 0x746E7256;

// Each path followed by a NUL, and one more NUL after the last: the block to send.
std::u16string EncodeHandOver(const std::vector<std::u16string>& paths);

// The paths in a block that arrived, in the order they were sent; nothing when the block
// is not a hand-over: another tag, no block, a size that is not whole UTF-16 units, a
// block not aligned for them, an empty path or one without its NUL, or anything after
// the closing NUL.
std::optional<std::vector<std::u16string>> DecodeHandOver(std::uintptr_t tag, const void* block,
                                                          std::size_t bytes);

}  // namespace varnite
