#include "window/hand_over.h"

#include <gtest/gtest.h>

#include <cstring>

namespace varnite {
namespace {

using namespace std::string_literals;
using Paths = std::vector<std::u16string>;

// Process id 0x00020001 as the block carries it, low half first.
const std::u16string kSender = u"\x0001\x0002"s;

// A block read back gives what a second start sent, and what it sends is exactly such a
// block. Anything else is refused whole: whatever program sent it, no file is opened.
TEST(HandOver, ReadsTheBlockASecondStartSendsAndRefusesAnyOther) {
  const struct {
    const char* name;
    std::u16string block;
    std::optional<Paths> paths;
    std::uintptr_t tag = kHandOverTag;
    std::size_t misaligned = 0, cut = 0;  // bytes: the block's start moved, its end cut off
    bool none = false;                    // no block at all, only a size
  } rows[] = {
      {"one path", kSender + u"D:\\Discs\\a.cue\0\0"s, Paths{u"D:\\Discs\\a.cue"}},
      {"two paths, in order", kSender + u"C:\\x.cue\0\\\\nas\\Live \u0414 \u266B.cue\0\0"s,
       Paths{u"C:\\x.cue", u"\\\\nas\\Live \u0414 \u266B.cue"}},
      {"no path", kSender + u"\0"s, Paths{}},
      {"another tag", kSender + u"C:\\a.cue\0\0"s, std::nullopt, kHandOverTag + 1},
      {"no block", kSender + u"C:\\a.cue\0\0"s, std::nullopt, kHandOverTag, 0, 0, true},
      {"an empty block", u""s, std::nullopt},
      {"a sender and nothing more", kSender, std::nullopt},
      {"no sender", u"\0\0C:\\a.cue\0\0"s, std::nullopt},
      {"half a unit at the end", kSender + u"C:\\a.cue\0\0"s, std::nullopt, kHandOverTag, 0, 1},
      {"not aligned", kSender + u"C:\\a.cue\0\0"s, std::nullopt, kHandOverTag, 1},
      {"no closing NUL", kSender + u"C:\\a.cue\0"s, std::nullopt},
      {"a path without its NUL", kSender + u"C:\\a.cue"s, std::nullopt},
      {"more after the closing NUL", kSender + u"C:\\a.cue\0\0C:\\b.cue\0\0"s, std::nullopt},
      {"a relative path after a full one", kSender + u"C:\\a.cue\0b.cue\0\0"s, std::nullopt},
  };
  for (const auto& row : rows) {
    std::vector<char16_t> storage(row.block.size() + 1);
    char* start = reinterpret_cast<char*>(storage.data()) + row.misaligned;
    const std::size_t bytes = row.block.size() * sizeof(char16_t) - row.cut;
    if (bytes > 0) std::memcpy(start, row.block.data(), bytes);
    const auto handed = DecodeHandOver(row.tag, row.none ? nullptr : start, bytes);
    EXPECT_EQ(handed.has_value(), row.paths.has_value()) << row.name;
    if (!handed || !row.paths) continue;
    EXPECT_EQ(handed->sender, 0x00020001u) << row.name;
    EXPECT_EQ(handed->paths, *row.paths) << row.name;
    EXPECT_EQ(EncodeHandOver(*handed), row.block) << row.name;
  }
}

// Only a path that means the same file in the sender's folder and in the receiver's.
TEST(HandOver, TakesOnlyFullPaths) {
  for (const char16_t* path : {u"C:\\a.cue", u"z:\\", u"\\\\nas\\share\\a.cue", u"\\\\?\\C:\\a.cue",
                               u"\\\\?\\UNC\\nas\\share"}) {
    EXPECT_TRUE(IsFullPath(path)) << Utf16ToUtf8(path);
  }
  for (const char16_t* path :
       {u"a.cue", u"C:a.cue", u"\\a.cue", u"..\\a.cue", u"C:/a.cue", u"1:\\a.cue", u"\\\\.\\NUL",
        u"\\\\?\\a.cue", u"\\\\nas", u"\\\\\\nas\\share", u""}) {
    EXPECT_FALSE(IsFullPath(path)) << Utf16ToUtf8(path);
  }
}

// A hand-over is taken only from another running process of the same exe file.
TEST(HandOver, IsTakenOnlyFromAnotherRunningVarnite) {
  const std::u16string self = u"C:\\Tools\\Varnite.exe";
  const struct {
    std::uint32_t sender;
    std::u16string image;  // empty: ended, or not to be asked
    bool taken;
  } rows[] = {
      {200, self, true},
      {200, u"c:\\TOOLS\\varnite.EXE", true},
      {100, self, false},
      {0, self, false},
      {200, u"", false},
      {200, u"C:\\Tools\\Other.exe", false},
      {200, u"C:\\Downloads\\Varnite.exe", false},
      {200, self + u"x", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsAnotherVarnite(row.sender, 100, row.image, self), row.taken)
        << row.sender << " " << Utf16ToUtf8(row.image);
  }
}

// The mutex lies in the private namespace only where this start holds that namespace.
TEST(HandOver, SingleInstanceMutexName) {
  for (auto held : {PrivateNamespace::kMade, PrivateNamespace::kOpened}) {
    EXPECT_EQ(SingleInstanceMutexName(held), u"Quenmore.Varnite\\Running");
  }
  for (auto none : {PrivateNamespace::kMissing, PrivateNamespace::kFailed}) {
    EXPECT_EQ(SingleInstanceMutexName(none), u"Local\\Quenmore.Varnite");
  }
}

TEST(HandOver, Utf16ToUtf8) {
  EXPECT_EQ(Utf16ToUtf8(u"a\u00FC\u0414\u266B\U0001F3B5\xD83Cx\xDFB5"s),
            "a\xC3\xBC\xD0\x94\xE2\x99\xAB\xF0\x9F\x8E\xB5\xEF\xBF\xBDx\xEF\xBF\xBD");
}

}  // namespace
}  // namespace varnite
