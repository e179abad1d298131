#include "app/ModelessDialog.h"

bool ModelessToggle::Toggle(QWidget* owner) {
  if (Visible()) {
    widget_->close();
    return Visible();
  }
  if (!Exists()) {
    if (!build_) return false;
    widget_ = build_(owner);
    if (!Exists()) return false;
  }
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
  return Visible();
}
