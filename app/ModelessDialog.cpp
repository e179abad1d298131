#include "app/ModelessDialog.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "app/MainRegistry.h"

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

void PlaceBesideMainForm(QWidget& dialog) {
  const TMainRect main = MainFormRect();
  QRect screen(0, 0, 0, 0);
  if (const QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->geometry();
  // The frame is not known before the window system has framed the dialog once: until then the
  // owner's frame, drawn by the same window manager, tells its size.
  QSize frame = dialog.frameGeometry().size();
  if (frame == dialog.size() && dialog.parentWidget() != nullptr) {
    const QWidget* owner = dialog.parentWidget()->window();
    frame += owner->frameGeometry().size() - owner->size();
  }
  dialog.move(std::min(screen.x() + screen.width() - frame.width(), main.Right),
              std::min(screen.y() + screen.height() - frame.height(), main.Bottom));
}
