// The exe file a running process was started from, asked of Windows by its process id: how
// Varnite tells another Varnite from any other program that sends it a hand-over or owns a
// window of its class.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace varnite {

// The full path of the exe of process `id`; empty when it has ended or cannot be asked.
std::u16string ProcessImage(DWORD id);

// Whether process `id` is another running Varnite of this very exe file.
bool IsAnotherVarniteProcess(DWORD id);

}  // namespace varnite
