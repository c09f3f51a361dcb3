// CCatalogNewDiskProgress.h - the please-wait window of a disk scan: how many entries
// were scanned, the folder being read, and Cancel.
#ifndef APP_COLLECTION_CCATALOGNEWDISKPROGRESS_H
#define APP_COLLECTION_CCATALOGNEWDISKPROGRESS_H

#include <QDialog>

#include "collection/new_disk.h"

class QLabel;

class CCatalogNewDiskProgress : public QDialog, public tavlor::NewDiskUi {
  Q_OBJECT
public:
  // Shows the window at once, painted, over parent; modal for the application, so the
  // events let through during the scan reach only this window.
  CCatalogNewDiskProgress(const QString &label, QWidget *parent);

  // Shows the counts and lets pending events (a click on Cancel) through; false once
  // Cancel was pressed.
  bool progress(uint64_t entries, const std::string &folder) override;
  void box(const std::string &caption, const std::string &text) override;

  bool cancelled() const { return cancelled_; }

protected:
  // Escape and the window's close button cancel too; the window stays until the
  // scan has stopped.
  void reject() override { cancelled_ = true; }

private:
  QLabel *count_;
  QLabel *folder_;
  bool cancelled_ = false;
};

#endif // APP_COLLECTION_CCATALOGNEWDISKPROGRESS_H
