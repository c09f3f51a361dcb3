// CatalogProgress.h - the small window shown while the plug-in scans a disk.
#ifndef PLUGIN_CATALOGPROGRESS_H
#define PLUGIN_CATALOGPROGRESS_H

#include <QDialog>

#include <cstdint>

class QLabel;

// The small window shown while a disk is scanned: the entries scanned, the folder
// being read, and Cancel (Escape and the close button too).
class CatalogProgress : public QDialog {
  Q_OBJECT
public:
  // Shows itself at once, painted, over parent, modal for the application, so the
  // events let through during the scan reach only this window.
  explicit CatalogProgress(const QString &label, QWidget *parent = nullptr);
  // Shows the counts and lets a click on Cancel through; false once cancelled.
  bool update(uint64_t entries, const QString &folder);
  bool cancelled() const { return cancelled_; }

protected:
  // The window stays until the scan has stopped.
  void reject() override { cancelled_ = true; }

private:
  QLabel *count_;
  QLabel *folder_;
  bool cancelled_ = false;
};

#endif // PLUGIN_CATALOGPROGRESS_H
