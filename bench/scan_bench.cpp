// Times the cue sheet track scan on one file.
//   scan_bench FILE
// First line: the last track number the scan finds, alone (or "error" and the reason);
// then the time, the throughput and the peak memory of the process.
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>

#include "cuesheet/track_scan.h"
#include "fileio/operation_error.h"
#include "window/main_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scan_bench FILE\n");
    return 2;
  }
  struct stat info {};
  const double megabytes = stat(argv[1], &info) == 0 ? static_cast<double>(info.st_size) / 1e6 : 0;
  varnite::NoRetry noRetry;
  const auto start = std::chrono::steady_clock::now();
  try {
    const std::int32_t last =
        varnite::FindLastTrackNumber(varnite::RealFileSystem(), argv[1], 0, noRetry);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d\n", last);
    std::printf("time: %.3f s\n", seconds);
    std::printf("throughput: %.0f MB/s (%.1f MB)\n", seconds > 0 ? megabytes / seconds : 0.0,
                megabytes);
    std::printf("peak memory: %ld KiB\n", usage.ru_maxrss);
  } catch (const varnite::OperationError& error) {
    std::printf("error %s\n", varnite::FormatErrorLine(error.code(), error.description()).c_str());
    return 1;
  }
  return 0;
}
