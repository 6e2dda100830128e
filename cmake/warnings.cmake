# Every C++ target of the project builds with the same warnings; scripts/test turns them
# into errors (VARNITE_WARNINGS_AS_ERRORS), so a new warning fails the test run.
option(VARNITE_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
# The native-tidy preset: clang-tidy (.clang-tidy) runs beside the compiler on every file of
# the project's own targets, and its findings fail the build.
option(VARNITE_CLANG_TIDY "Run clang-tidy on every file the project's targets compile" OFF)
if(VARNITE_CLANG_TIDY)
  find_program(VARNITE_CLANG_TIDY_EXE NAMES clang-tidy clang-tidy-14 REQUIRED)
endif()

function(varnite_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
    if(VARNITE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    if(VARNITE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  if(VARNITE_CLANG_TIDY)
    set_target_properties(${target} PROPERTIES CXX_CLANG_TIDY "${VARNITE_CLANG_TIDY_EXE}")
  endif()
endfunction()
