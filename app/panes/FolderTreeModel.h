// FolderTreeModel.h - the folder tree of a CatalogModel as a Qt item model.
//
// One column; the root "My Removable Disk Drive" is the only top-level row. An index
// carries its item's handle as internal id, so an index never points at freed memory;
// the model's about-to/done notifications become Qt's begin/end calls, which keeps
// every view and persistent index in step with closes and reloads.
#ifndef APP_PANES_FOLDERTREEMODEL_H
#define APP_PANES_FOLDERTREEMODEL_H

#include <QAbstractItemModel>

#include "model/catalog_model.h"

class FolderTreeModel : public QAbstractItemModel, private tavlor::ModelObserver {
  Q_OBJECT
public:
  // model must outlive this object; the root item is created here.
  explicit FolderTreeModel(tavlor::CatalogModel &model, QObject *parent = nullptr);
  ~FolderTreeModel() override;

  QModelIndex indexOf(tavlor::ItemId item) const;
  tavlor::ItemId itemOf(const QModelIndex &index) const;

  QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
  QModelIndex parent(const QModelIndex &child) const override;
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  // True from the moment rows are about to be removed until they have been: a view's
  // current item moving to a neighbour then is the removal's doing, not the user's.
  bool removingRows() const { return removing_; }

  // The role that gives the selected-state icon (open folder) of a row.
  static constexpr int SelectedIconRole = Qt::UserRole + 1;

private:
  void subtreeAboutToBeRemoved(tavlor::ItemId parent, tavlor::ItemId item, std::size_t row) override;
  void subtreeRemoved(tavlor::ItemId parent, tavlor::ItemId item) override;
  void diskAboutToBeAdded(tavlor::ItemId root, std::size_t row) override;
  void diskAdded(tavlor::ItemId disk, const tavlor::FileData &entry) override;
  void modelAboutToBeCleared() override;
  void modelCleared() override;

  tavlor::CatalogModel &model_;
  bool removing_ = false;
};

#endif // APP_PANES_FOLDERTREEMODEL_H
