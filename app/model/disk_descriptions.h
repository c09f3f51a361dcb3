// disk_descriptions.h - the short texts attached to disks, kept in the descriptions file.
#ifndef APP_MODEL_DISK_DESCRIPTIONS_H
#define APP_MODEL_DISK_DESCRIPTIONS_H

#include <map>
#include <string>
#include <string_view>

namespace tavlor {

class FileData;

inline constexpr const char *kDefaultDescriptionsFileName = "descr_disks.txt";

// The description map and its file: catalogs folder + "/" + file name, one record per
// disk (" <disk> LABEL </disk>  <description> TEXT </description> " and a line
// break), with numbered backups (file name + ";" + N, the newest five kept).
// Labels are compared byte by byte. The settings (file name, ShowDescription,
// AutoBackupDescription) are handed in by the program.
class DiskDescriptions {
public:
  struct Options {
    std::string catalogsFolder;
    std::string fileName = kDefaultDescriptionsFileName;
    bool showDescription = true; // nothing is read or written while off
    bool autoBackup = true;
  };

  explicit DiskDescriptions(Options options);

  // Empties the map and reads the file; with backup (and auto-backup on) first copies
  // the file to the next backup number (creating an empty file when there is none)
  // and prunes older copies, found by listing the folder once. Does nothing when
  // ShowDescription is off. A file that cannot be opened leaves the map empty and the
  // loaded flag as it was. Only a regular file is read: anything else under the name
  // (a FIFO, a device, a folder) is left alone and reported once, as a warning box.
  void readDescriptions(bool backup);
  // Rewrites the file from the map when the file was loaded and the map is not empty.
  // The file is replaced atomically (a new file in the same folder, flushed to the
  // disk, then renamed over the old one), so a failed or killed write keeps the
  // previous file. Returns whether it was written.
  bool writeDescriptions();
  // The description of a disk; reads the file (with backup) first when it was never
  // loaded and ShowDescription is on. Empty when there is none.
  std::string getDescription(std::string_view label);
  std::string getDescription(const FileData &disk);
  // Stores text (empty included) under the label and rewrites the file.
  void setDescription(std::string_view label, const std::string &text);
  void setDescription(const FileData &disk, const std::string &text);

  const std::map<std::string, std::string, std::less<>> &map() const { return map_; }
  bool loaded() const { return loaded_; }
  std::string path() const;
  const Options &options() const { return options_; }
  void setOptions(Options options) { options_ = std::move(options); }

private:
  void makeBackup(const std::string &contents);

  Options options_;
  std::map<std::string, std::string, std::less<>> map_;
  bool loaded_ = false;
  bool reported_ = false;
};

} // namespace tavlor

#endif // APP_MODEL_DISK_DESCRIPTIONS_H
