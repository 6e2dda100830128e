#include "tests/support/test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace varnite::testing {

std::string JoinPath(const std::string& dir, const std::string& name) {
#ifdef _WIN32
  return dir + "\\" + name;
#else
  return dir + "/" + name;
#endif
}

std::string TestName(const std::string& description) {
  std::string name;
  for (char c : description) {
    bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    name += alnum ? c : '_';
  }
  return name;
}

std::string ScratchDir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("varnite-test-" + name);
  // A run that stopped half-way may have left read-only files behind.
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(dir, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.u8string();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string CueSheetsDir() {
  std::string dir = VARNITE_CUESHEETS_DIR;
#ifdef _WIN32
  // Wine shows the Unix file system as drive Z:.
  for (char& c : dir) c = (c == '/') ? '\\' : c;
  if (!dir.empty() && dir[0] == '\\') dir = "Z:" + dir;
#endif
  return dir;
}

}  // namespace varnite::testing
