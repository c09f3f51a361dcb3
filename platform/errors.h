// errors.h - the texts of system errors.
#ifndef PLATFORM_ERRORS_H
#define PLATFORM_ERRORS_H

#include <string>

namespace platform {

// strerror text of err, cut at its first non-printable character.
std::string errorText(int err);

} // namespace platform

#endif // PLATFORM_ERRORS_H
