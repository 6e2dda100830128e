// The dummy track file that the protection tracks point at, in its two fixed forms:
// the full form (one raw CD sector, 2352 bytes) and the short form (482 bytes) that
// makes the recorder fail on those tracks once the real content is on the disc.
#pragma once

#include <string>

#include "fileio/file_system.h"

namespace varnite {

// The one place the file ever lives. Nothing in the program lets a user change it.
inline constexpr char kDummyFilePath[] = "C:\\Varnite.PSX";

std::string DummyFileFullForm();
std::string DummyFileShortForm();

// Each creates or truncates the file and writes its form whole. Failures are thrown
// as OperationError; whatever reached the file before a failure stays there.
void CreateDummyFile(FileSystem& files, const std::string& path = kDummyFilePath);
void ModifyDummyFile(FileSystem& files, const std::string& path = kDummyFilePath);

}  // namespace varnite
