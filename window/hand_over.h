// What a second start of Varnite hands to the one already running: its process id and the
// paths of its command line, sent to the running window as a block of UTF-16 text
// (WM_COPYDATA). Portable, so that the checks on what arrives, which any program that finds
// the window can send, are tested without a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnite {

// Marks a block as Varnite's hand-over (the dwData of WM_COPYDATA): "Vrnt".
inline constexpr std::uintptr_t kHandOverTag = 0x746E7256;

struct HandOver {
  // The process that sent it, by its own word: checked before anything is taken.
  std::uint32_t sender = 0;
  // Full paths, in the order the second start was given them.
  std::vector<std::u16string> paths;

  bool operator==(const HandOver& other) const {
    return sender == other.sender && paths == other.paths;
  }
};

// The block to send: the sender's process id in two UTF-16 units (low half first), then
// each path followed by a NUL, and one more NUL after the last.
std::u16string EncodeHandOver(const HandOver& handOver);

// The hand-over in a block that arrived; nothing when the block is not one: another tag, no
// block, a size that is not whole UTF-16 units, a block not aligned for them, no sender, an
// empty path or one without its NUL, anything after the closing NUL, or a path that is not
// full. A relative path would be read against the receiver's folder, not the sender's.
std::optional<HandOver> DecodeHandOver(std::uintptr_t tag, const void* block, std::size_t bytes);

// A path that names the same file whatever the current folder: "X:\...", a share
// "\\server\share\..." or either behind "\\?\". Not "X:name", "\name", a device "\\.\".
bool IsFullPath(const std::u16string& path);

// Whether a hand-over is taken from `sender`: another process than this one (`self`), still
// running, started from the same exe file. `senderImage` is that process's exe path, empty
// when it has ended or cannot be asked; paths are compared without regard to ASCII case.
bool IsAnotherVarnite(std::uint32_t sender, std::uint32_t self, const std::u16string& senderImage,
                      const std::u16string& selfImage);

// The one Varnite of a session holds a named mutex, which a second start finds. Where it can,
// the name lies in a private namespace whose boundary holds the Administrators group: a
// program without administrator rights can neither make nor hold it there, so it cannot stop
// Varnite from starting. What became of that namespace:
enum class PrivateNamespace {
  kMissing,  // Windows XP, or Wine: the calls are not there
  kMade,     // this start made it
  kOpened,   // an earlier start had made it, and this one opened it
  kFailed,   // neither (this start lacks the rights, or the boundary cannot be built)
};
// The namespace's prefix, the boundary's name.
inline constexpr char16_t kPrivateNamespacePrefix[] = u"Quenmore.Varnite";
// The mutex's name: in the private namespace while this start holds it, otherwise in the
// session's own namespace, so each user logged on has a Varnite of their own.
std::u16string SingleInstanceMutexName(PrivateNamespace privateNamespace);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, as the wide API's own conversion
// does.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace varnite
