#include "CViewOptionsPage.h"

void CViewOptionsPage::setModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  emit modifiedChanged(modified);
}
