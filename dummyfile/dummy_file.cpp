#include "dummyfile/dummy_file.h"

#include <cstdint>

namespace varnite {
namespace {

constexpr char kCrLf[] = "\r\n";
constexpr char kTitleLine[] =
    "This Is A The File Used By Varnite To Create Dummy Tracks On Your CD";
// Exactly 56 characters: both forms' sizes depend on it.
constexpr char kCreditLine[] = "Varnite By Quenmore Software 2000 - www.quenmore.example";
constexpr char kWarningLine[] =
    "* Do Not Delete This File Or Your CueSheets Modified Using Varnite Will Be Invalid !! *";
constexpr char kModifiedLine[] = "This Is The Modified File That Creates The Protection";

static_assert(sizeof(kTitleLine) - 1 == 68, "title line width is part of the format");
static_assert(sizeof(kCreditLine) - 1 == 56, "credit line width is part of the format");
static_assert(sizeof(kWarningLine) - 1 == 87, "the warning line fills the asterisk box");
static_assert(sizeof(kModifiedLine) - 1 == 53, "modified line width is part of the format");

// Lines 1 and 2, the blank-or-note lines 3 and 4, the asterisk box, then the "X" lines.
std::string BuildForm(const std::string& line3, std::int16_t xLines) {
  const std::string stars(87, '*');
  std::string form;
  for (const std::string& line : {std::string(kTitleLine), std::string(kCreditLine), line3,
                                  std::string(), stars, std::string(kWarningLine), stars}) {
    form += line;
    form += kCrLf;
  }
  for (std::int16_t i = 0; i < xLines; ++i) form += "X\r\n";
  return form;
}

// Flushed before it is closed: the button reports the file written only once it has
// reached the disk.
void WriteWhole(FileSystem& files, const std::string& path, const std::string& form) {
  auto file = files.CreateOrTruncate(path);
  std::size_t written = 0;
  WriteThrough(*file, form, written);
  file->Close();
}

}  // namespace

std::string DummyFileFullForm() { return BuildForm(std::string(), 651); }
std::string DummyFileShortForm() { return BuildForm(kModifiedLine, 10); }

void CreateDummyFile(FileSystem& files, const std::string& path) {
  WriteWhole(files, path, DummyFileFullForm());
}

void ModifyDummyFile(FileSystem& files, const std::string& path) {
  WriteWhole(files, path, DummyFileShortForm());
}

}  // namespace varnite
