#include "CViewOptions.h"

#include "CTavlor2Doc.h"
#include "CViewOptionsColumns.h"
#include "CViewOptionsExplorer.h"
#include "DialogRunner.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CViewOptions::CViewOptions(CTavlor2Doc &doc, QWidget *parent) : QDialog(parent), doc_(doc) {
  setObjectName("viewOptions");
  setWindowTitle(tr("View Options"));
  auto *layout = new QVBoxLayout(this);
  auto *tabs = new QTabWidget(this);
  columns_ = new CViewOptionsColumns(&doc, tabs);
  explorer_ = new CViewOptionsExplorer(tabs);
  tabs->addTab(columns_, tr("View"));
  tabs->addTab(explorer_, tr("File Manager Plug-In"));
  layout->addWidget(tabs);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  apply_ = buttons->button(QDialogButtonBox::Apply);
  apply_->setObjectName("applyButton");
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    applyPages();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(apply_, &QPushButton::clicked, this, &CViewOptions::applyPages);
  layout->addWidget(buttons);
  for (CViewOptionsPage *page : {static_cast<CViewOptionsPage *>(columns_), static_cast<CViewOptionsPage *>(explorer_)})
    connect(page, &CViewOptionsPage::modifiedChanged, this, &CViewOptions::updateApplyButton);
  connect(columns_, &CViewOptionsColumns::systemIconsChanged, this, &CViewOptions::systemIconsChanged);
  updateApplyButton();
}

void CViewOptions::applyPages() {
  columns_->apply();
  explorer_->apply();
}

void CViewOptions::updateApplyButton() {
  apply_->setEnabled(columns_->isModified() || explorer_->isModified());
}

void CViewOptions::showSheet() {
  const ViewValues before = columns_->values();
  columns_->load();
  explorer_->load();
  runDialog(*this);
  const ViewValues &after = columns_->values();
  const bool displayChanged = before.dateCataloged != after.dateCataloged || before.freeSpace != after.freeSpace ||
                              before.totalSize != after.totalSize || before.description != after.description ||
                              before.sizeComma != after.sizeComma;
  if (displayChanged || before.autoBackup != after.autoBackup) doc_.setAutoBackupDescription(after.autoBackup);
  if (!displayChanged) return;
  doc_.setDiskColumns({after.totalSize, after.freeSpace, after.dateCataloged, after.description});
  doc_.model().setSizeComma(after.sizeComma, true);
  doc_.refreshList();
  emit doc_.listRedrawRequested();
}
