#include "ToolDialogs.h"

#include "CProperties.h"
#include "CTavlor2Doc.h"
#include "DialogRunner.h"
#include "FindDuplicatesDlg.h"
#include "FindFilesDlg.h"
#include "MessageBoxes.h"

namespace {

ResultEntryActions rowActions(CTavlor2Doc &doc, FileActions *files) {
  ResultEntryActions actions;
  actions.files = files;
  actions.properties = [&doc](const tavlor::FileData &entry, QWidget *over) {
    CProperties dialog(tavlor::propertiesOf(doc.model(), entry), over);
    runDialog(dialog);
  };
  return actions;
}

template <typename Dialog>
Dialog *start(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, QWidget *window, FileActions *files) {
  auto *dialog = new Dialog(doc, std::move(roots), rowActions(doc, files), window);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  return dialog;
}

} // namespace

FindFilesDlg *startFindFiles(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, QWidget *window, FileActions *files) {
  return start<FindFilesDlg>(doc, std::move(roots), window, files);
}

FindDuplicatesDlg *startFindDuplicates(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, QWidget *window,
                                       FileActions *files) {
  return start<FindDuplicatesDlg>(doc, std::move(roots), window, files);
}

std::vector<tavlor::ItemId> searchRootsOf(const tavlor::CatalogModel &model,
                                          const std::vector<const tavlor::FileData *> &selection, QWidget *window) {
  std::vector<tavlor::ItemId> roots;
  for (const tavlor::FileData *entry : selection) {
    const tavlor::ItemId own = model.findOwnItem(*entry);
    if (own != tavlor::kNoItem) roots.push_back(own);
  }
  if (roots.empty())
    showBox(window, QString(), QObject::tr("Please select one or more folders to search in"), BoxKind::Plain);
  return roots;
}
