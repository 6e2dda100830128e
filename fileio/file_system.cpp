#include "fileio/file_system.h"

namespace varnite {

void WriteAll(OutputFile& file, const std::string& data, std::size_t& written) {
  while (written < data.size()) {
    written += file.Write(data.data() + written, data.size() - written);
  }
}

void WriteThrough(OutputFile& file, const std::string& data, std::size_t& written) {
  WriteAll(file, data, written);
  file.Flush();
}

}  // namespace varnite
