# The release zip, Varnite-<version>-win32.zip: Varnite.exe, ReadMe.txt and License.txt at
# its top. The two texts get CR LF line ends, for Notepad. scripts/release builds it with
# the target `release_zip`.
#
# The zip is written by scripts/make_zip.py rather than by CPack's ZIP generator: CMake's
# CPack (3.25 here) adds the files in the order the file system lists them and records the
# builder's user and group, so two builds of the same sources could give different zips.
# make_zip.py fixes the order, the times (SOURCE_DATE_EPOCH) and the permissions.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()  # only the 32-bit build ships
endif()

configure_file(${PROJECT_SOURCE_DIR}/docs/ReadMe.txt ${PROJECT_BINARY_DIR}/package/ReadMe.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/package/License.txt
               @ONLY NEWLINE_STYLE CRLF)

find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  set(VARNITE_ZIP ${PROJECT_BINARY_DIR}/dist/Varnite-${VARNITE_VERSION}-win32.zip)
  add_custom_command(
    OUTPUT ${VARNITE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/dist
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make_zip.py ${VARNITE_ZIP}
            Varnite.exe=$<TARGET_FILE:Varnite>
            ReadMe.txt=${PROJECT_BINARY_DIR}/package/ReadMe.txt
            License.txt=${PROJECT_BINARY_DIR}/package/License.txt
    DEPENDS Varnite ${PROJECT_SOURCE_DIR}/scripts/make_zip.py
            ${PROJECT_BINARY_DIR}/package/ReadMe.txt ${PROJECT_BINARY_DIR}/package/License.txt
    VERBATIM)
  add_custom_target(release_zip DEPENDS ${VARNITE_ZIP})
endif()
