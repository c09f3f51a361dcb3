#include "WindowPlacement.h"

#include "AppSettings.h"

std::optional<QRect> readWindowPlacement() {
  auto left = tavlor::settingNumber("WindowLeft");
  auto top = tavlor::settingNumber("WindowTop");
  auto right = tavlor::settingNumber("WindowRight");
  auto bottom = tavlor::settingNumber("WindowBottom");
  if (!left || !top || !right || !bottom) return std::nullopt;
  return QRect(*left, *top, *right - *left, *bottom - *top);
}

void writeWindowPlacement(const QRect &rect) {
  tavlor::storeSettingNumber("WindowLeft", rect.left());
  tavlor::storeSettingNumber("WindowTop", rect.top());
  tavlor::storeSettingNumber("WindowRight", rect.left() + rect.width());
  tavlor::storeSettingNumber("WindowBottom", rect.top() + rect.height());
}
