// Long paths for the Windows file functions. Without the \\?\ prefix they refuse a path of
// MAX_PATH (260) characters or more, unless Windows 10 has long paths switched on; with it
// they take up to about 32,767, but also take the path exactly as it stands: no "." or
// ".." resolved, no forward slash turned into a backslash. Plain text work, so it is
// built and tested on every platform.
#pragma once

#include <cstddef>
#include <string>

namespace varnite {

inline constexpr std::size_t kMaxPath = 260;

// A full path of kMaxPath characters or more, C:\... or \\server\share\..., normalised
// (forward slashes made backslashes, doubled separators single, "." and ".." segments
// resolved, never above the drive or share) and then, if still that long, given the
// prefix: \\?\C:\... or \\?\UNC\server\share\.... Anything else is returned as it is: a
// shorter path, one already in \\?\ or \\.\ form, and a relative path, which has no
// prefixed form.
std::wstring ExtendedLengthPath(const std::wstring& path);

}  // namespace varnite
