#include "PaintBreaks.h"

#include <QCoreApplication>
#include <QElapsedTimer>

void letWindowsPaint(bool now) {
  // Twenty milliseconds keep a window smooth to the eye, and processing events far
  // more often would show in the load time.
  static QElapsedTimer since;
  if (!now && since.isValid() && since.elapsed() < 20) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  since.start();
}
