// What happens when the C++ runtime must end the program (an exception that nothing
// catches, for one thrown through a window procedure of the system's): a message box says
// so before the program stops. GCC's own handler would write the exception's type to the
// standard error stream, which a Windows program without a console does not have, so the
// user would only see the window vanish.
//
// The handler is replaced under the name GCC's runtime installs by default rather than with
// std::set_terminate, so that its default handler, and the name demangler and printf it
// brings along, stay out of the exe: about a fifth of its size.
#include <windows.h>

#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  MessageBoxW(nullptr, L"Varnite has met an internal error and must close.", L"Varnite",
              MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  std::abort();
}
}  // namespace __gnu_cxx
#endif
