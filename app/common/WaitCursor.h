// WaitCursor.h - the wait cursor for the lifetime of a scope.
#ifndef APP_COMMON_WAITCURSOR_H
#define APP_COMMON_WAITCURSOR_H

#include <QApplication>

class WaitCursor {
public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor &) = delete;
  WaitCursor &operator=(const WaitCursor &) = delete;
};

#endif // APP_COMMON_WAITCURSOR_H
