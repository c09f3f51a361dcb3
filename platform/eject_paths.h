// eject_paths.h - the two ways of ejecting a volume's drive.
#ifndef PLATFORM_EJECT_PATHS_H
#define PLATFORM_EJECT_PATHS_H

#include <optional>

#include "platform/disk.h"

namespace platform {

// Through the UDisks2 daemon on the system bus: unmounts every filesystem of the
// volume's drive, then ejects the drive, or powers it off where it has no medium to
// eject. No user interaction is allowed. nullopt when the bus or the daemon is not
// there or the daemon does not know the device, so that the caller can try the
// kernel.
std::optional<EjectStatus> ejectWithUDisks(const Volume &volume);

// As root, without the daemon: checks that the drive takes the kernel's eject
// request (CDROMEJECT for optical drives, SCSI START STOP UNIT through SG_IO for
// the others) before anything is unmounted, then umount2 on every mount of the
// drive's filesystems, then the request.
EjectStatus ejectWithKernel(const Volume &volume);

} // namespace platform

#endif // PLATFORM_EJECT_PATHS_H
