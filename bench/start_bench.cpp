// Times Varnite's start against a bare window with the same manifest: from the moment the
// process is created to the moment its window is visible, each program started in turn
// (interleaved, so that a busy moment of the machine falls on all), and prints each one's
// median and its ratio to the bare window's. A third program, the bare window that loads
// the common controls first, shows what of Varnite's time that load is. The programs are
// looked for beside this one. On a machine whose speed wanders from second to second, the
// ratio within each round says more than the ratio of the medians: its median is printed
// too.
//   start_bench [RUNS]     (31 of each unless told; one more of each first, not counted)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Program {
  const wchar_t* file;
  const wchar_t* windowClass;
  std::vector<double> times;  // milliseconds
};

std::wstring Beside(const wchar_t* file) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + file;
}

struct Found {
  DWORD process;
  const wchar_t* windowClass;
  HWND window;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
  auto* found = reinterpret_cast<Found*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  wchar_t name[64];
  if (process != found->process || !IsWindowVisible(hwnd) || !GetClassNameW(hwnd, name, 64) ||
      lstrcmpW(name, found->windowClass) != 0) {
    return TRUE;
  }
  found->window = hwnd;
  return FALSE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds from CreateProcessW to the program's window being visible; -1 if it never
// shows within ten seconds. The program is closed, and has ended, before this returns.
double StartToVisible(const Program& program) {
  std::wstring commandLine = L"\"" + Beside(program.file) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  Found found{process.dwProcessId, program.windowClass, nullptr};
  double elapsed = -1;
  for (;;) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&found));
    QueryPerformanceCounter(&now);
    if (found.window) {
      elapsed = Seconds(start, now) * 1000;
      break;
    }
    if (Seconds(start, now) > 10) break;
    Sleep(1);
  }
  if (found.window) PostMessageW(found.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 31;
  if (runs < 1) {
    std::fprintf(stderr, "usage: start_bench [RUNS]\n");
    return 2;
  }
  // Varnite, the bare window that loads the common controls first, the bare window.
  Program programs[] = {{L"Varnite.exe", L"VarniteMainWindow", {}},
                        {L"bare_common_controls.exe", L"VarniteBareCommonControls", {}},
                        {L"bare_window.exe", L"VarniteBareWindow", {}}};
  constexpr int kPrograms = 3;
  for (int run = -1; run < runs; ++run) {
    // Each goes first in every third round; the three of a round run back to back.
    for (int i = 0; i < kPrograms; ++i) {
      Program& program = programs[(run + kPrograms + i) % kPrograms];
      const double ms = StartToVisible(program);
      if (ms < 0) {
        std::fprintf(stderr, "%ls: no visible window\n", program.file);
        return 1;
      }
      if (run >= 0) program.times.push_back(ms);
    }
  }
  std::printf("process start to visible window, median of %d each, interleaved:\n", runs);
  // The fastest run shows how much of a median is the machine's other work.
  for (const Program& program : programs) {
    std::printf("  %-26ls %6.1f ms  (fastest %.1f ms)\n", program.file, Median(program.times),
                *std::min_element(program.times.begin(), program.times.end()));
  }
  // Against the bare window: the ratio of the medians, and the median of the ratios within
  // a round, where a slow moment of the machine falls on both.
  const Program& bare = programs[2];
  for (int i = 0; i < 2; ++i) {
    const Program& program = programs[i];
    std::vector<double> rounds;
    for (std::size_t r = 0; r < program.times.size(); ++r) {
      rounds.push_back(program.times[r] / bare.times[r]);
    }
    std::printf("  %-26ls %6.2f  (in a round %.2f)%s\n", program.file,
                Median(program.times) / Median(bare.times), Median(rounds),
                i == 0 ? "  aim: at most 1.20" : "");
  }
  return 0;
}
