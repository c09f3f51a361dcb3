// PaintBreaks.h - short breaks in long work on the user-interface thread, so that the
// windows keep painting while catalogs load, and long searches on a second thread
// while they paint.
#ifndef APP_COMMON_PAINTBREAKS_H
#define APP_COMMON_PAINTBREAKS_H

#include <functional>

// Lets pending paints, exposes and timers through, at most every 20 ms unless now is
// set. Mouse and key input, and a window's close button, wait until the work is done:
// nothing the user does can start another command in the middle of it.
void letWindowsPaint(bool now = false);

// Runs work on a second thread and returns when it is done, passing on what it threw;
// meanwhile this thread paints and runs timers as letWindowsPaint does, and input
// waits. The work must only read what painting may also read: the entries' names,
// dates and sizes (a folder's through sizeAcrossThreads) and the folder tree's labels,
// never the texts and paths the model fills in and keeps as they are shown. Where no
// thread can be had, the work runs here.
void runWhileWindowsPaint(const std::function<void()> &work);

#endif // APP_COMMON_PAINTBREAKS_H
