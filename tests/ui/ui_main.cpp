// End-to-end tests of Varnite.exe: each case starts the real program, works it as a
// user would and checks what the user sees and the bytes the program writes. The cases
// are listed in ui_cases.inc and live in the file of their subject.
//   varnite_ui_tests CASE [--xml FILE]   runs one case (every row of a table case); exit
//                                        code 0 when all passed; FILE gets each row's
//                                        outcome as a GoogleTest report
//   varnite_ui_tests --list   names the cases
//   varnite_ui_tests --control   waits to be ended (the planting case's control program)
//   varnite_ui_tests --picture OUT.bmp [help|about]   saves a picture of the window
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/ui/ui_driver.h"

namespace varnite::ui {
namespace {

const std::map<std::string, void (*)()>& Cases() {
  static const std::map<std::string, void (*)()> cases = {
#define UI_CASE(name, function, label) {#name, function},
#include "tests/ui/ui_cases.inc"
#undef UI_CASE
  };
  return cases;
}

struct Outcome {
  std::string row;
  std::string failure;  // empty when the row passed
};
std::string runningCase;
std::vector<Outcome> outcomes;

// The case's name, or "<case>.<row>" for a row of it.
std::string Shown(const std::string& row) {
  return row == runningCase ? row : runningCase + "." + row;
}

void Record(const std::string& row, const std::string& failure) {
  outcomes.push_back({row, failure});
  if (failure.empty()) {
    std::printf("[       OK ] %s\n", Shown(row).c_str());
  } else {
    std::printf("[  FAILED  ] %s: %s\n", Shown(row).c_str(), failure.c_str());
  }
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\n':
        out += "&#10;";
        break;
      default:
        out += (c >= 0 && c < ' ') ? '?' : c;
    }
  }
  return out;
}

// The rows' outcomes in GoogleTest's XML form, where scripts/test counts them.
void WriteReport(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos) CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return;
  const std::string suite = XmlText("ui." + runningCase);
  std::fprintf(out,
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n"
               "  <testsuite name=\"%s\" tests=\"%u\">\n",
               suite.c_str(), static_cast<unsigned>(outcomes.size()));
  for (const Outcome& outcome : outcomes) {
    std::fprintf(out, "    <testcase classname=\"%s\" name=\"%s\"", suite.c_str(),
                 XmlText(outcome.row).c_str());
    if (outcome.failure.empty()) {
      std::fprintf(out, "/>\n");
    } else {
      std::fprintf(out, "><failure message=\"%s\"/></testcase>\n",
                   XmlText(outcome.failure).c_str());
    }
  }
  std::fprintf(out, "  </testsuite>\n</testsuites>\n");
  std::fclose(out);
}

int RunCase(const std::string& name, const char* report) {
  runningCase = name;
  std::printf("[ RUN      ] %s\n", name.c_str());
  try {
    Cases().at(name)();
    if (outcomes.empty()) Record(name, "");
  } catch (const CheckFailure& failure) {
    // Outside any row: the case itself failed, or its table's setting up or clearing away.
    Record(name, failure.what);
  }
  if (report) WriteReport(report);
  int failed = 0;
  for (const Outcome& outcome : outcomes) failed += outcome.failure.empty() ? 0 : 1;
  std::printf("%s %s: %d of %d rows failed\n", failed ? "[  FAILED  ]" : "[  PASSED  ]",
              name.c_str(), failed, static_cast<int>(outcomes.size()));
  return failed ? 1 : 0;
}

}  // namespace

void Row(const std::string& name, const std::function<void()>& body) {
  std::printf("[ RUN      ] %s\n", Shown(name).c_str());
  try {
    body();
  } catch (const CheckFailure& failure) {
    Record(name, failure.what);
    return;
  }
  Record(name, "");
}

}  // namespace varnite::ui

int main(int argc, char** argv) {
  using namespace varnite::ui;
  // Every line reaches ctest's log at once, even from a case that is ended on a timeout.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // Positions and sizes in real pixels, as the DPI-aware program sees them, on a Windows
  // that would otherwise scale them for this driver (Vista and later; absent before).
  using SetAware = BOOL(WINAPI*)();
  if (auto setAware = reinterpret_cast<SetAware>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")))) {
    setAware();
  }
  if (argc >= 3 && std::strcmp(argv[1], "--picture") == 0) {
    try {
      return SavePicture(argv[2], argc >= 4 ? argv[3] : nullptr);
    } catch (const CheckFailure& failure) {
      std::fprintf(stderr, "%s\n", failure.what.c_str());
      return 1;
    }
  }
  if (argc == 2 && std::strcmp(argv[1], "--control") == 0) return RunAsControlProgram();
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const auto& entry : Cases()) std::printf("%s\n", entry.first.c_str());
    return 0;
  }
  const bool withReport = argc == 4 && std::strcmp(argv[2], "--xml") == 0;
  if ((argc != 2 && !withReport) || !Cases().count(argv[1])) {
    std::fprintf(stderr, "usage: varnite_ui_tests CASE [--xml FILE] | --list\n");
    return 2;
  }
  return RunCase(argv[1], withReport ? argv[3] : nullptr);
}
