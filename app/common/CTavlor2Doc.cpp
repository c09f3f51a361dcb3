#include "CTavlor2Doc.h"

#include "settings/settings_values.h"

CTavlor2Doc::CTavlor2Doc() {
  columns_.dateCataloged = settings::readSwitch(settings::kShowDateCataloged);
  columns_.freeSpace = settings::readSwitch(settings::kShowFreeSpace);
  columns_.totalSize = settings::readSwitch(settings::kShowTotalSize);
  columns_.description = settings::readSwitch(settings::kShowDescription);
  autoBackup_ = settings::readSwitch(settings::kAutoBackupDescription);
  model_.setSizeComma(settings::readSwitch(settings::kUseSizeComma), false);

  tavlor::DiskDescriptions::Options options;
  options.catalogsFolder = settings::catalogsFolder();
  options.fileName = settings::descriptionsFileName();
  options.showDescription = columns_.description;
  options.autoBackup = autoBackup_;
  descriptions_ = std::make_unique<tavlor::DiskDescriptions>(std::move(options));
  descriptions_->readDescriptions(true);
  model_.root();
}

CTavlor2Doc::~CTavlor2Doc() {
  settings::writeSwitch(settings::kShowDateCataloged, columns_.dateCataloged);
  settings::writeSwitch(settings::kShowFreeSpace, columns_.freeSpace);
  settings::writeSwitch(settings::kShowTotalSize, columns_.totalSize);
  settings::writeSwitch(settings::kShowDescription, columns_.description);
  settings::writeSwitch(settings::kAutoBackupDescription, autoBackup_);
  settings::writeSwitch(settings::kUseSizeComma, model_.sizeComma());
  descriptions_->writeDescriptions();
  deleteTemporaryFiles();
}

std::string CTavlor2Doc::getDescription(const tavlor::FileData &disk) {
  return descriptions_->getDescription(disk);
}

void CTavlor2Doc::setDescription(const tavlor::FileData &disk, const std::string &text) {
  descriptions_->setDescription(disk, text);
  emit listRedrawRequested();
}

void CTavlor2Doc::setDiskColumns(const DiskColumns &columns) {
  columns_ = columns;
  tavlor::DiskDescriptions::Options options = descriptions_->options();
  options.showDescription = columns.description;
  descriptions_->setOptions(std::move(options));
}

void CTavlor2Doc::setAutoBackupDescription(bool on) {
  autoBackup_ = on;
  tavlor::DiskDescriptions::Options options = descriptions_->options();
  options.autoBackup = on;
  descriptions_->setOptions(std::move(options));
}

void CTavlor2Doc::showItem(tavlor::ItemId item, tavlor::ItemId parent) {
  shownItem_ = item;
  shownParent_ = parent;
  emit showItemRequested(item, parent == tavlor::kNoItem);
}

void CTavlor2Doc::refreshList() {
  if (shownItem_ != tavlor::kNoItem && model_.isValid(shownItem_)) showItem(shownItem_, shownParent_);
}

void CTavlor2Doc::clearList() {
  shownItem_ = tavlor::kNoItem;
  shownParent_ = tavlor::kNoItem;
  emit listCleared();
}

void CTavlor2Doc::recordTemporaryFile(const std::string &path) {
  extracted_.record(path);
}

void CTavlor2Doc::deleteTemporaryFiles() {
  extracted_.deleteAll();
}

void CTavlor2Doc::setTitle(const QString &title) {
  title_ = title;
  emit titleChanged(title);
}
