// temp_folder.h - folders for this user's temporary files that nobody else can
// reach.
//
// The temporary folder is usually shared (/tmp): another user can create any name in
// it first, or swap a folder for a link between two steps. A folder is only trusted
// when it is a real folder owned by this user that nobody else can write.
#ifndef PLATFORM_TEMP_FOLDER_H
#define PLATFORM_TEMP_FOLDER_H

#include <string>

namespace platform {

// True when path is a folder (not a link) owned by the effective user with no write
// permission for group or others.
bool isPrivateFolder(const std::string &path);

// The folder below which this user's temporary files go, given the temporary folder
// base: base itself when it is private; otherwise base + "/tavlor-UID", made with mode
// 0700 and used only when it is private; when someone else holds that name, a fresh
// folder made by mkdtemp for this process. Empty when nothing could be made.
std::string privateTemporaryRoot(const std::string &base);

// folder + "/" + name, made with mode 0700 when missing, when the result is private;
// empty otherwise.
std::string privateSubfolder(const std::string &folder, const std::string &name);

// A new, empty folder below folder (mode 0700, a name nobody held before) for files
// that live only while one task runs; empty when it cannot be made.
std::string freshScratchFolder(const std::string &folder);

// Removes the empty folder path. 0 or an errno value (ENOTEMPTY when something is
// left in it).
int removeEmptyFolder(const std::string &path);

} // namespace platform

#endif // PLATFORM_TEMP_FOLDER_H
