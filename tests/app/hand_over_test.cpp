#include "app/hand_over.h"

#include <gtest/gtest.h>

#include <cstring>

namespace varnite {
namespace {

using namespace std::string_literals;
using Paths = std::vector<std::u16string>;

// A block read back gives the paths a second start sent, and what it sends is exactly such
// a block. Anything else is refused whole: whatever program sent it, no file is opened.
TEST(HandOver, ReadsTheBlockASecondStartSendsAndRefusesAnyOther) {
  const struct {
    const char* name;
    std::u16string block;
    std::optional<Paths> paths;
    std::uintptr_t tag = kHandOverTag;
    std::size_t misaligned = 0, cut = 0;  // bytes: the block's start moved, its end cut off
    bool none = false;                   // no block at all, only a size
  } rows[] = {
      {"one path", u"D:\\Discs\\a.cue\0\0"s, Paths{u"D:\\Discs\\a.cue"}},
      {"two paths, in order", u"C:\\x.cue\0D:\\Live \u0414 \u266B.cue\0\0"s,
       Paths{u"C:\\x.cue", u"D:\\Live \u0414 \u266B.cue"}},
      {"no path", u"\0"s, Paths{}},
      {"another tag", u"a.cue\0\0"s, std::nullopt, kHandOverTag + 1},
      {"no block", u"a.cue\0\0"s, std::nullopt, kHandOverTag, 0, 0, true},
      {"an empty block", u""s, std::nullopt},
      {"half a unit at the end", u"a.cue\0\0"s, std::nullopt, kHandOverTag, 0, 1},
      {"not aligned", u"a.cue\0\0"s, std::nullopt, kHandOverTag, 1},
      {"no closing NUL", u"a.cue\0"s, std::nullopt},
      {"a path without its NUL", u"a.cue"s, std::nullopt},
      {"more after the closing NUL", u"a.cue\0\0b.cue\0\0"s, std::nullopt},
  };
  for (const auto& row : rows) {
    std::vector<char16_t> storage(row.block.size() + 1);
    char* start = reinterpret_cast<char*>(storage.data()) + row.misaligned;
    const std::size_t bytes = row.block.size() * sizeof(char16_t) - row.cut;
    if (bytes > 0) std::memcpy(start, row.block.data(), bytes);
    EXPECT_EQ(DecodeHandOver(row.tag, row.none ? nullptr : start, bytes), row.paths) << row.name;
    if (row.paths) {
      EXPECT_EQ(EncodeHandOver(*row.paths), row.block) << row.name;
    }
  }
}

}  // namespace
}  // namespace varnite
