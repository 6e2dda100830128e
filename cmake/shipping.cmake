# How the Windows program is built with MinGW-w64 (GCC): small, and the same bytes from
# the same sources wherever the tree lies.
#  - Size: -Os in the Release configuration, and a section for every function and object,
#    so the linker drops whatever nothing uses (varnite_ship(): --gc-sections).
#  - No build path in any object (-ffile-prefix-map), no link time in the PE header
#    (varnite_ship(): --no-insert-timestamp).
#  - The Release configuration strips at link time (-s), so the exe that any post-build
#    step of the target works on is the very file that ships.
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options($<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections
                      -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
endif()

# varnite_ship(TARGET): the link options of a shipped program.
function(varnite_ship target)
  if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_link_options(${target} PRIVATE -Wl,--gc-sections -Wl,--no-insert-timestamp
                                          $<$<CONFIG:Release>:-s>)
  endif()
endfunction()
