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
    bool none = false;                   // no block at all, only a size
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
  const struct {
    std::u16string path;
    bool full;
  } rows[] = {
      {u"C:\\a.cue", true},          {u"z:\\", true},
      {u"\\\\nas\\share\\a.cue", true}, {u"\\\\?\\C:\\a.cue", true},
      {u"\\\\?\\UNC\\nas\\share", true}, {u"a.cue", false},
      {u"C:a.cue", false},           {u"\\a.cue", false},
      {u"..\\a.cue", false},         {u"C:/a.cue", false},
      {u"1:\\a.cue", false},         {u"\\\\.\\NUL", false},
      {u"\\\\?\\a.cue", false},      {u"\\\\nas", false},
      {u"\\\\\\nas\\share", false},  {u"", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsFullPath(row.path), row.full) << Utf16ToUtf8(row.path);
  }
}

// A hand-over is taken only from another running process of the same exe file.
TEST(HandOver, IsTakenOnlyFromAnotherRunningVarnite) {
  const std::u16string self = u"C:\\Tools\\Varnite.exe";
  const struct {
    const char* name;
    std::uint32_t sender;
    std::u16string image;
    bool taken;
  } rows[] = {
      {"another Varnite", 200, self, true},
      {"the same file in another case", 200, u"c:\\TOOLS\\varnite.EXE", true},
      {"itself", 100, self, false},
      {"no sender", 0, self, false},
      {"ended, or not to be asked", 200, u"", false},
      {"another program", 200, u"C:\\Tools\\Other.exe", false},
      {"a copy of Varnite elsewhere", 200, u"C:\\Downloads\\Varnite.exe", false},
      {"a longer path", 200, self + u"x", false},
      {"a letter outside ASCII in another case", 200, u"C:\\Tools\\Varnit\u00C9.exe", false},
  };
  for (const auto& row : rows) {
    const std::u16string selfImage =
        row.image.find(u'\u00C9') != std::u16string::npos ? u"C:\\Tools\\Varnit\u00E9.exe" : self;
    EXPECT_EQ(IsAnotherVarnite(row.sender, 100, row.image, selfImage), row.taken) << row.name;
  }
}

// The mutex lies in the private namespace only where this start holds that namespace.
TEST(HandOver, SingleInstanceMutexName) {
  const struct {
    PrivateNamespace privateNamespace;
    std::u16string name;
  } rows[] = {
      {PrivateNamespace::kMissing, u"Local\\Quenmore.Varnite"},
      {PrivateNamespace::kMade, u"Quenmore.Varnite\\Running"},
      {PrivateNamespace::kOpened, u"Quenmore.Varnite\\Running"},
      {PrivateNamespace::kFailed, u"Local\\Quenmore.Varnite"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SingleInstanceMutexName(row.privateNamespace), row.name)
        << static_cast<int>(row.privateNamespace);
  }
}

TEST(HandOver, Utf16ToUtf8) {
  const struct {
    std::u16string text;
    std::string utf8;
  } rows[] = {
      {u"a\u00FC\u0414\u266B", "a\xC3\xBC\xD0\x94\xE2\x99\xAB"},
      {u"\U0001F3B5", "\xF0\x9F\x8E\xB5"},
      {u"\xD83Cx"s, "\xEF\xBF\xBDx"},
      {u"\xDFB5"s, "\xEF\xBF\xBD"},
  };
  for (const auto& row : rows) EXPECT_EQ(Utf16ToUtf8(row.text), row.utf8);
}

}  // namespace
}  // namespace varnite
