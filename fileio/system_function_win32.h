// A function of a system DLL that older Windows lack, looked up at run time so that the
// exe still starts there: null where this Windows does not have it. The DLL must already
// be loaded (KERNEL32 and USER32 always are in this program); nothing is loaded by name.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace varnite {

template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name) {
  HMODULE loaded = GetModuleHandleW(module);
  if (!loaded) return nullptr;
  // GetProcAddress gives a generic function pointer; going through void (*)() tells the
  // compiler the cast to the call's real type is meant.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)));
}

}  // namespace varnite
