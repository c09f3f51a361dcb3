// file_actions.h - turning cataloged entries back into real files: opening them with
// the desktop's programs, copying them from their disks and extracting them from the
// ZIP files that hold them.
//
// Every operation finds the entry's disk by its volume label (disk_locator.h) and asks
// for it through the FileActionUi when it is missing. Entries are references into the
// model and must stay alive during the call.
#ifndef APP_EXPORT_FILE_ACTIONS_H
#define APP_EXPORT_FILE_ACTIONS_H

#include <ctime>
#include <string>
#include <vector>

#include "export/file_action_ui.h"
#include "model/catalog_model.h"
#include "model/extracted_files.h"

namespace tavlor {

// The program name that stands for the desktop's text editor (Send To Notepad).
inline constexpr const char *kTextEditorProgram = "notepad.exe";

// The temporary folder: TEMP, else TMP, else TMPDIR, else "/tmp" (no trailing "/").
std::string temporaryFolder();

// The folder this user's temporary files go to: the temporary folder when nobody else
// can write it, else a private folder below it (platform/temp_folder.h). Members of ZIP
// files are extracted here to be opened. Empty when no private folder can be had.
std::string privateTemporaryFolder();

// A cataloged entry as plain values, taken from the model when an action starts, so an
// action never depends on the catalog staying loaded. A catalog comes from outside: its
// names are checked here, once, before any of them is joined to a folder.
struct EntrySource {
  std::vector<std::string> components; // the disk's label, the folders, the entry's name
  std::string catalogPath;             // the components joined by "/", as messages show it
  std::size_t zipDepth = 0;            // components of its ZIP file's catalog path; 0: on the disk
  std::string name;
  std::time_t date = 0;
  bool container = false;
  bool zipFolder = false;
  std::string refusal; // why it cannot become a file (a name that cannot name one); empty when it can

  const std::string &label() const { return components.front(); }
  bool inZip() const { return zipDepth > 0; }
  // The catalog path of the ZIP file that holds it.
  std::string zipPath() const;
  // Its path inside that ZIP file.
  std::string member() const;
};
EntrySource entrySource(const CatalogModel &model, const FileData &entry);

// An entry, file or folder that an action did not write, and why.
struct CopyFailure {
  std::string path;
  std::string reason;
};

struct CopyResult {
  int written = 0;           // files written
  int kept = 0;              // existing files left in place by the copy rules
  bool diskCancelled = false; // the user cancelled the insert-disk prompt
  std::vector<CopyFailure> failures;
  bool complete() const { return !diskCancelled && failures.empty() && written > 0; }
};

// copyEntry on an entry's plain values. Every file not written is named in failures,
// except those the copy rules keep on purpose.
CopyResult copySource(const EntrySource &source, const std::string &destination, bool useFolderNames,
                      bool overwriteNewer, bool overwriteOlder, FileActionUi &ui);

// The message of a launch-error code ("Could not launch the file" for unknown codes).
std::string launchErrorMessage(int code);

// Opens path with the desktop: with resolveLabel its first component is a volume
// label, replaced by the mount point of that disk (the insert-disk prompt until it is
// found, with a pause before each new look, or cancelled). A launch error is shown in
// the "File launch failed" box. Always true: a failed launch has shown its box and a
// cancelled prompt needs no more words.
bool launchPath(const std::string &path, const std::string &program, bool resolveLabel, FileActionUi &ui,
                Desktop &desktop);

// Opens an entry: one on a disk directly, one inside a ZIP file after extracting it
// into the temporary folder (recorded in extracted, replaced when opened again).
// False when the disk was not found or the member could not be extracted.
bool launchEntry(const CatalogModel &model, const FileData &entry, const std::string &program, FileActionUi &ui,
                 Desktop &desktop, ExtractedFiles &extracted);

// Copies an entry into destination: a file or a Zip Folder as one file (never
// replacing an existing one; a copy of a read-only file is made writable), a folder
// or disk as a tree (existing files kept), a member of a ZIP file (or a folder in
// one) by extracting it with the overwrite switches. For entries on disk the switches
// only decide, by comparing the target's time with the entry's date, whether a copy
// is tried. True when the copy was made (for ZIP entries: exactly one file written);
// written, when given, receives the number of files written (1 for a disk copy that
// succeeded).
bool copyEntry(const CatalogModel &model, const FileData &entry, const std::string &destination, bool useFolderNames,
               bool overwriteNewer, bool overwriteOlder, FileActionUi &ui, int *written = nullptr);

// The values of the Extract/Copy dialog.
struct ExtractSettings {
  std::string destination;
  bool useFolderNames = true;
  bool overwriteNewer = false;
  bool overwriteOlder = false;
};

inline constexpr const char *kOverwriteWarningCaption = "WARNING: Possible data loss";
extern const char *const kOverwriteWarningText;

// Extract-all mode: finds the Zip Folder's disk, asks the overwrite warning when
// overwriteNewer is on, and extracts the whole archive, stepping progress. Returns the
// number of files written, -1 when the disk was cancelled or the warning declined.
// failures, when given, receives every member not written.
int extractZipFolder(const CatalogModel &model, const FileData &zipFolder, const ExtractSettings &settings,
                     FileActionUi &ui, ProgressSink *progress, std::vector<CopyFailure> *failures = nullptr);

// Copy mode: copyEntry for each entry in order, one progress step after each. Returns
// what was not written.
std::vector<CopyFailure> copyEntries(const CatalogModel &model, const std::vector<const FileData *> &entries,
                                     const ExtractSettings &settings, FileActionUi &ui, ProgressSink *progress);

// The text of a box naming what an action did not write (at most a screenful of lines).
std::string failureText(const std::vector<CopyFailure> &failures);

// How "Extract/Copy ..." splits a selection: each Zip Folder that does not lie in a
// ZIP file gets an extract-all dialog of its own, in order; everything else goes into
// one copy-mode dialog afterwards.
struct ExtractPlan {
  std::vector<const FileData *> zipFolders;
  std::vector<const FileData *> copyList;
};
ExtractPlan planExtract(const CatalogModel &model, const std::vector<const FileData *> &entries);

} // namespace tavlor

#endif // APP_EXPORT_FILE_ACTIONS_H
