// path_prefix.h - comparing paths component by component, without touching the disk.
#ifndef PLATFORM_PATH_PREFIX_H
#define PLATFORM_PATH_PREFIX_H

#include <string>

namespace platform {

// path made absolute (relative to the current directory) with repeated "/", "."
// components and the trailing "/" removed; ".." is kept as written, since a
// symbolic link may stand before it. "" for an empty path.
std::string normalizedPath(const std::string &path);

// True when the normalized path is folder itself or lies below it: "/media/a"
// holds "/media/a/x" but not "/media/ab".
bool pathIsWithin(const std::string &path, const std::string &folder);

// The value of a hexadecimal digit; -1 for any other character.
int hexDigitValue(char c);

// The local path a "file://" URI names, its %XX escapes decoded (file managers pass
// such URIs): file:///media/ann/MY%20DISK gives /media/ann/MY DISK. Any other text is
// returned as it is.
std::string localPathOfArgument(const std::string &argument);

} // namespace platform

#endif // PLATFORM_PATH_PREFIX_H
