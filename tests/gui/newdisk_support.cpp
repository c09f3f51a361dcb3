#include "newdisk_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include "CCatalogNewDisk.h"
#include "CMainFrame.h"
#include "DialogRunner.h"

DialogScript::DialogScript() {
  setDialogRunner([this](QDialog &dialog) {
    seen_ << dialog.objectName();
    if (steps_.empty()) return int(QDialog::Rejected);
    Step step = std::move(steps_.front());
    steps_.pop_front();
    return step(dialog);
  });
}

DialogScript::~DialogScript() {
  setDialogRunner({});
}

DialogScript &DialogScript::then(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

DialogScript::Step chooseDrive(const QString &mountPoint, bool eject, bool setLabel) {
  return [=](QDialog &dialog) {
    auto *drives = dialog.findChild<QComboBox *>("driveList");
    for (int i = 0; drives && i < drives->count(); ++i)
      if (drives->itemText(i).startsWith(mountPoint + "  ")) drives->setCurrentIndex(i);
    dialog.findChild<QCheckBox *>("ejectCheck")->setChecked(eject);
    dialog.findChild<QCheckBox *>("setLabelCheck")->setChecked(setLabel);
    return int(QDialog::Accepted);
  };
}

DialogScript::Step typeLabel(const QString &label) {
  return [=](QDialog &dialog) {
    dialog.findChild<QLineEdit *>("labelEdit")->setText(label);
    return int(QDialog::Accepted);
  };
}

DialogScript::Step cancelDialog() {
  return [](QDialog &) { return int(QDialog::Rejected); };
}

VolumeTable::VolumeTable(const QStringList &lines) {
  QString path = gui_support::freshFolder("volumes") + "/table";
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write((lines.join('\n') + '\n').toUtf8());
  file.close();
  qputenv("TAVLOR_VOLUME_TABLE", QFile::encodeName(path));
}

VolumeTable::~VolumeTable() {
  qunsetenv("TAVLOR_VOLUME_TABLE");
}

void runCatalogNewDisk(PaneFixture &f) {
  catalogNewDiskCommand(f.doc(), *f.app->frame()->commands(), f.app->frame());
}

QStringList diskLabels(PaneFixture &f) {
  QStringList out;
  tavlor::CatalogModel &model = f.model();
  for (tavlor::ItemId item : model.childrenOf(model.root()))
    out << QString::fromStdString(model.label(item));
  return out;
}
