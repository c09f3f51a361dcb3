#include "platform/volumes.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/drive_type.h"
#include "platform/mount_table.h"
#include "platform/path_prefix.h"
#include "platform/volume_table.h"

namespace platform {

namespace {

std::vector<Volume> volumesFromTable(const std::string &tablePath) {
  std::ifstream in(tablePath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return parseVolumeTable(text.str());
}

std::vector<Volume> volumesFromMountInfo() {
  std::vector<Volume> volumes;
  for (const OfferedMount &mount : selectOfferedMounts(parseMountInfo(readMountInfo()), statBlockDevice)) {
    Volume volume;
    volume.mountPoint = mount.entry.mountPoint;
    volume.source = mount.entry.source;
    volume.fsType = mount.entry.fsType;
    if (mount.device) {
      volume.devMajor = mount.device->major;
      volume.devMinor = mount.device->minor;
    }
    volume.type = classifyDrive(volume.fsType, volume.devMajor, volume.devMinor);
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

} // namespace

std::vector<Volume> offeredVolumes() {
  if (const std::optional<std::string> table = volumeTablePath()) return volumesFromTable(*table);
  return volumesFromMountInfo();
}

std::optional<Volume> volumeContaining(const std::string &path) {
  const std::string normal = normalizedPath(path);
  if (normal.empty()) return std::nullopt;
  std::optional<Volume> best;
  for (Volume &volume : offeredVolumes())
    if (pathIsWithin(normal, volume.mountPoint) && (!best || volume.mountPoint.size() > best->mountPoint.size()))
      best = std::move(volume);
  return best;
}

std::optional<Volume> volumeHolding(const std::string &path) {
  if (volumeTablePath()) return volumeContaining(path);
  const std::string normal = normalizedPath(path);
  if (normal.empty()) return std::nullopt;
  const std::vector<MountEntry> entries = parseMountInfo(readMountInfo());
  const MountEntry *best = nullptr;
  // A later mount on the same folder covers the earlier one.
  for (const MountEntry &entry : entries)
    if (pathIsWithin(normal, entry.mountPoint) && (!best || entry.mountPoint.size() >= best->mountPoint.size()))
      best = &entry;
  if (!best) return std::nullopt;
  Volume volume;
  volume.mountPoint = best->mountPoint;
  volume.source = best->source;
  volume.fsType = best->fsType;
  if (const std::optional<DeviceNumber> device = statBlockDevice(best->source)) {
    volume.devMajor = device->major;
    volume.devMinor = device->minor;
  }
  volume.type = classifyDrive(volume.fsType, volume.devMajor, volume.devMinor);
  return volume;
}

std::optional<Volume> volumeAt(const std::string &mountPoint) {
  const std::string normal = normalizedPath(mountPoint);
  if (normal.empty()) return std::nullopt;
  for (Volume &volume : offeredVolumes())
    if (volume.mountPoint == normal) return std::move(volume);
  return std::nullopt;
}

const char *driveTypeKeyword(DriveType type) {
  switch (type) {
  case DriveType::Fixed:
    return "fixed";
  case DriveType::CdRom:
    return "cdrom";
  default:
    return "default";
  }
}

} // namespace platform
