// LockKeys.h - the state of the keyboard's lock keys, for the status bar.
#ifndef APP_SHELL_LOCKKEYS_H
#define APP_SHELL_LOCKKEYS_H

struct LockKeys {
  bool caps = false;
  bool num = false;
  bool scroll = false;
};

// The lock keys' indicator state on an X11 display; all off where it cannot be known
// (Wayland, the offscreen platform).
LockKeys currentLockKeys();

#endif // APP_SHELL_LOCKKEYS_H
