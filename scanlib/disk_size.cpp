#include "Tavscan60.h"
#include "platform/disk.h"

TAVSCAN_API void GetLargeDiskSize(const char *rootPath, int64_t &totalBytes, int64_t &freeBytes) {
  totalBytes = 0;
  freeBytes = 0;
  if (rootPath == nullptr) return;
  platform::volumeSizes(rootPath, totalBytes, freeBytes);
}
