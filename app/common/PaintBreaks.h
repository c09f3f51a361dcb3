// PaintBreaks.h - short breaks in long work on the user-interface thread, so that the
// windows keep painting while catalogs load.
#ifndef APP_COMMON_PAINTBREAKS_H
#define APP_COMMON_PAINTBREAKS_H

// Lets pending paints, exposes and timers through, at most every 20 ms unless now is
// set. Mouse and key input, and a window's close button, wait until the work is done:
// nothing the user does can start another command in the middle of it.
void letWindowsPaint(bool now = false);

#endif // APP_COMMON_PAINTBREAKS_H
