// CTavlor2Doc.h - the one document of a run: the catalog model, the disk descriptions,
// the display switches, the busy counter and the files extracted for opening.
#ifndef APP_COMMON_CTAVLOR2DOC_H
#define APP_COMMON_CTAVLOR2DOC_H

#include <QObject>

#include "model/catalog_model.h"
#include "model/disk_descriptions.h"
#include "model/extracted_files.h"

#include <memory>
#include <string>
#include <vector>

// The optional columns of the disk list.
struct DiskColumns {
  bool totalSize = true;
  bool freeSpace = true;
  bool dateCataloged = true;
  bool description = true;
};

class CTavlor2Doc : public QObject {
  Q_OBJECT
public:
  // Reads the six display switches (ShowTotalSize, ShowFreeSpace, ShowDateCataloged,
  // ShowDescription, AutoBackupDescription, UseSizeComma; each on unless stored as
  // something other than 1) and the descriptions file, with a backup.
  CTavlor2Doc();
  // Writes the six switches and the descriptions file and deletes the extracted files.
  ~CTavlor2Doc() override;

  tavlor::CatalogModel &model() { return model_; }
  tavlor::DiskDescriptions &descriptions() { return *descriptions_; }

  // The description of a disk entry (reads the file on first need); empty when none.
  std::string getDescription(const tavlor::FileData &disk);
  // Stores the description, rewrites the file and redraws the list.
  void setDescription(const tavlor::FileData &disk, const std::string &text);

  const DiskColumns &diskColumns() const { return columns_; }
  void setDiskColumns(const DiskColumns &columns);
  bool autoBackupDescription() const { return autoBackup_; }
  void setAutoBackupDescription(bool on);

  // The busy counter: above 0 while a tool dialog (Find Files, Find Duplicate Files,
  // Compare) holds references into the model.
  int busy() const { return busy_; }
  void beginBusy() { ++busy_; }
  void endBusy() {
    if (busy_ > 0) --busy_;
  }

  // Shows the entries of item in the list: the disk columns when parent is none (the
  // root), the folder columns otherwise. Remembered for refreshList.
  void showItem(tavlor::ItemId item, tavlor::ItemId parent);
  // Shows the remembered item again (after a display change).
  void refreshList();
  // The item the list shows; kNoItem when the list is empty.
  tavlor::ItemId shownItem() const { return shownItem_; }
  // Empties the list.
  void clearList();

  // Remembers a file extracted into the temporary folder for opening.
  void recordTemporaryFile(const std::string &path);
  // Deletes the recorded files (when all catalogs are cleared and at exit).
  void deleteTemporaryFiles();
  // The register of those files, for the file actions that extract them.
  tavlor::ExtractedFiles &extractedFiles() { return extracted_; }

  // The document's name in the window caption ("Untitled" until a file names it).
  QString title() const { return title_; }
  void setTitle(const QString &title);

signals:
  // The list pane fills itself from item (folder mode unless diskMode).
  void showItemRequested(tavlor::ItemId item, bool diskMode);
  void listCleared();
  // The list's rows must be redrawn (a description or the column set changed).
  void listRedrawRequested();
  void titleChanged(const QString &title);

private:
  tavlor::CatalogModel model_;
  std::unique_ptr<tavlor::DiskDescriptions> descriptions_;
  DiskColumns columns_;
  bool autoBackup_ = true;
  int busy_ = 0;
  tavlor::ItemId shownItem_ = tavlor::kNoItem;
  tavlor::ItemId shownParent_ = tavlor::kNoItem;
  tavlor::ExtractedFiles extracted_;
  QString title_ = "Untitled";
};

#endif // APP_COMMON_CTAVLOR2DOC_H
