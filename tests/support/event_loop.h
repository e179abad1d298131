// Letting the desktop catch up without waiting for time to pass: on a busy machine a fixed wait
// may end before the events it was meant to let run have run.
#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

// Runs what the event loop holds now and what that brings in turn (paints, layouts, zero-time
// timers such as the main window's idle update) until nothing is left to run at once.
inline void RunQueued() {
  QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance();
  for (int pass = 0; pass < 10000 && loop->processEvents(QEventLoop::AllEvents); ++pass) {
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
