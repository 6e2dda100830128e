// libFuzzer target for the cue sheet track scan. Every input is scanned twice: in one
// block, and in small reads of a size the input picks, which moves every field, quote
// and CR LF across block edges. The two must agree, and a result must be the start value
// or a number that two characters can spell.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "cuesheet/track_scan.h"
#include "fileio/operation_error.h"

namespace {

class MemoryInput final : public varnite::InputFile {
 public:
  MemoryInput(const std::string& data, std::size_t chunk) : data_(data), chunk_(chunk) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, chunk_, data_.size() - offset_});
    std::memcpy(buffer, data_.data() + offset_, n);
    offset_ += n;
    return n;
  }

 private:
  const std::string& data_;
  std::size_t chunk_;
  std::size_t offset_ = 0;
};

constexpr std::int32_t kStart = -1000;

std::optional<std::int32_t> Scan(const std::string& data, std::size_t chunk) {
  MemoryInput input(data, chunk);
  varnite::NoRetry noRetry;
  try {
    return varnite::ScanLastTrackNumber(input, kStart, noRetry);
  } catch (const varnite::OperationError& error) {
    if (error.code() != 13) std::abort();  // only a bad number can fail in memory
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunk = 1 + bytes[0] % 17;
  const std::string data(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  const auto whole = Scan(data, static_cast<std::size_t>(-1));
  const auto pieces = Scan(data, chunk);
  if (whole != pieces) std::abort();
  if (whole && *whole != kStart && (*whole < -9 || *whole > 99)) std::abort();
  return 0;
}
