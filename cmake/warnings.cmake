# Every C++ target of the project builds with the same warnings; scripts/test turns them
# into errors (VARNITE_WARNINGS_AS_ERRORS), so a new warning fails the test run.
option(VARNITE_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

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
endfunction()
