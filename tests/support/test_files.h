// Real files for tests: a scratch folder, and the real-world cue sheets in tests/data.
#pragma once

#include <string>

namespace varnite::testing {

// A fresh, empty folder for one test, as a path the file layer takes.
std::string ScratchDir(const std::string& name);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The folder of real-world cue sheets written by others (tests/data/cuesheets).
std::string CueSheetsDir();
std::string JoinPath(const std::string& dir, const std::string& name);
// A test name made of a description: letters and digits kept, the rest as underscores.
std::string TestName(const std::string& description);

}  // namespace varnite::testing
