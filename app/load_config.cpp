// The exe's load configuration structure, for MinGW builds (an MSVC build takes the one
// its C runtime defines, and /DEPENDENTLOADFLAG sets the same flag there).
//
// Its one job is DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32: from Windows 10 1607
// on, the DLLs that the exe's imports pull in while it starts are then taken from the
// system folder only, never from the folder Varnite was started from. That folder is often
// Downloads, and Varnite runs with administrator rights.
//
// GNU ld links this structure but does not point the PE header at it;
// scripts/patch_load_config.py does that after the link (see app/CMakeLists.txt).
#include <windows.h>

#include <cstddef>

namespace {

constexpr IMAGE_LOAD_CONFIG_DIRECTORY MakeLoadConfig() {
  IMAGE_LOAD_CONFIG_DIRECTORY config{};
#ifdef _WIN64
  // The whole 64-bit structure of these headers (0x70 bytes).
  config.Size = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY);
#else
  // 64 bytes, up to and including SecurityCookie: the size Windows XP requires, and no
  // SafeSEH table, so the loader keeps allowing every exception handler as it does now.
  config.Size = offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, SEHandlerTable);
#endif
  config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags
  return config;
}

}  // namespace

extern "C" {
// The name Windows linkers look for; `used` keeps it although nothing in the code reads it.
extern const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used;
__attribute__((used)) const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = MakeLoadConfig();
}
