#include "LockKeys.h"

#include <QGuiApplication>

#if TAVLOR_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

LockKeys currentLockKeys() {
  LockKeys locks;
#if TAVLOR_HAVE_X11
  auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->display()) return locks;
  unsigned int state = 0;
  if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) != Success) return locks;
  // The core keyboard's usual indicator order: Caps Lock, Num Lock, Scroll Lock.
  locks.caps = state & 1u;
  locks.num = state & 2u;
  locks.scroll = state & 4u;
#endif
  return locks;
}
