#include "app/ModelessDialog.h"

#include <QEvent>

namespace {

class HideWatcher : public QObject {
 public:
  explicit HideWatcher(std::function<void()> hidden) : hidden_(std::move(hidden)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      hidden_();
    }
    return false;
  }

 private:
  std::function<void()> hidden_;
};

}  // namespace

void ModelessToggle::OnHide(std::function<void()> hidden) {
  hideWatcher_ = std::make_unique<HideWatcher>(std::move(hidden));
}

bool ModelessToggle::Toggle(QWidget* owner) {
  if (Visible()) {
    widget_->close();
    return Visible();
  }
  if (!Exists()) {
    if (!build_) return false;
    widget_ = build_(owner);
    if (!Exists()) return false;
    if (hideWatcher_) widget_->installEventFilter(hideWatcher_.get());
  }
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
  return Visible();
}
