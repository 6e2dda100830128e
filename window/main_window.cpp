#include "window/main_window.h"

namespace varnite {

std::string FormatErrorLine(int code, const std::string& description) {
  return "Err#: " + std::to_string(code) + " - " + description;
}

}  // namespace varnite
