// One Varnite per user session: two would run two edits on one cue sheet ("Open with
// Varnite" twice, or a second start while the first shows its boxes). The first start
// holds a named mutex for as long as it runs; a later one brings the first one's window
// to the front, hands it the paths of its own command line and ends.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace varnite {

class SingleInstance {
 public:
  SingleInstance() = default;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  ~SingleInstance();

  // True when this process is to be the session's Varnite: no other runs, or the one that
  // ran has ended while this one waited for its window. Otherwise hands `paths` (full
  // paths as UTF-8; none only brings the window to the front) to the Varnite that runs and
  // returns false; if its window does not appear or does not answer within a few seconds,
  // a box says so. Only a window of a process of this same exe file is given anything.
  bool ClaimOrHandOver(const std::vector<std::string>& paths);

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
  HANDLE namespace_ = nullptr;  // the private namespace the mutex lies in, where it has one
  HANDLE boundary_ = nullptr;
  bool madeNamespace_ = false;
};

}  // namespace varnite
