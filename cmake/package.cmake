# The files of the release, Varnite-<version>-win32.zip: Varnite.exe, ReadMe.txt,
# License.txt and BuildInfo.txt at its top. The target `release_files` builds the exe and
# puts the two texts, with CR LF line ends for Notepad, in package/; release.json beside
# them tells scripts/release the zip's name, its addresses and the compiler. scripts/release
# then checks the exe, signs it when given a key, writes BuildInfo.txt, zips the four
# files with scripts/make_zip.py and writes the package manifests.
#
# The zip is written by scripts/make_zip.py rather than by CPack's ZIP generator: CMake's
# CPack (3.25 here) adds the files in the order the file system lists them and records the
# builder's user and group, so two builds of the same sources could give different zips.
# make_zip.py fixes the order, the times (SOURCE_DATE_EPOCH) and the permissions.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()  # only the 32-bit build ships
endif()

set(VARNITE_RELEASE_URL "${VARNITE_RELEASE_URL_BASE}${VARNITE_RELEASE_TAG}/")
configure_file(${PROJECT_SOURCE_DIR}/docs/ReadMe.txt ${PROJECT_BINARY_DIR}/package/ReadMe.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/package/License.txt
               @ONLY NEWLINE_STYLE CRLF)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/release.json @ONLY CONTENT [[{
  "version": "@VARNITE_VERSION@",
  "tag": "@VARNITE_RELEASE_TAG@",
  "zip": "Varnite-@VARNITE_VERSION@-win32.zip",
  "url": "@VARNITE_RELEASE_URL@",
  "latest_url": "@VARNITE_RELEASE_LATEST_URL@",
  "homepage": "@VARNITE_HOMEPAGE@",
  "support": "@VARNITE_SUPPORT_URL@",
  "compiler": "@CMAKE_CXX_COMPILER@",
  "cmake": "@CMAKE_VERSION@",
  "cmake_command": "@CMAKE_COMMAND@"
}
]])
add_custom_target(release_files DEPENDS Varnite)
