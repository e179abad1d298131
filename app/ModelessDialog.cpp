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

// Keeps a placed dialog where it was placed when the window system puts its frame where its client
// area was asked to be: some window managers do so each time a hidden dialog is shown again, and
// the dialog would come back a title bar lower every time.
class FramePlacement : public QObject {
 public:
  explicit FramePlacement(QWidget& dialog) : QObject(&dialog), dialog_(dialog) {
    setObjectName("FramePlacement");
    dialog.installEventFilter(this);
  }
  void Arm(QPoint frame) {
    wanted_ = frame;
    armed_ = true;
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &dialog_ || event->type() != QEvent::Move || !armed_) return false;
    const QPoint frame = dialog_.frameGeometry().topLeft();
    if (frame == wanted_) return false;
    // The first move away from the placed corner ends the watch, whoever made it.
    armed_ = false;
    const QPoint client = dialog_.geometry().topLeft() - frame;
    if (!client.isNull() && frame == wanted_ + client) dialog_.move(wanted_);
    return false;
  }

 private:
  QWidget& dialog_;
  QPoint wanted_;
  bool armed_ = false;
};

// Hands a modeless dialog the keys back once the message boxes that one of its commands showed are
// answered. The first box belongs to the dialog, which the window manager activates again when the
// box closes; but a second box of the same command opens before that has happened, while no window
// is active, so it belongs to the main window, and its close would leave the keys with the
// document under the dialog.
class KeysBackAfterBoxes : public QObject {
 public:
  explicit KeysBackAfterBoxes(QWidget& dialog) : QObject(&dialog), dialog_(dialog) {
    dialog.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &dialog_) return false;
    if (event->type() == QEvent::WindowBlocked) {
      blocked_ = true;
      // A box that opens over another window's command leaves the keys where it found them.
      if (dialog_.isActiveWindow()) armed_ = true;
    } else if (event->type() == QEvent::WindowUnblocked) {
      blocked_ = false;
      // Queued: the command may still open its next box, and the keys come back after the last.
      QMetaObject::invokeMethod(this, [this] { GiveKeysBack(); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  void GiveKeysBack() {
    if (blocked_ || !armed_) return;
    armed_ = false;
    // The window keeps its focus widget while inactive: the focus comes back to where it was, or to
    // the field the command moved it to.
    if (dialog_.isVisible()) dialog_.activateWindow();
  }

  QWidget& dialog_;
  bool blocked_ = false;
  bool armed_ = false;
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
    new KeysBackAfterBoxes(*widget_);
  }
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
  return Visible();
}

QSize FrameExtent(const QWidget& window) {
  const QSize own = window.frameGeometry().size() - window.size();
  if (!own.isNull() || window.parentWidget() == nullptr) return own;
  const QWidget* owner = window.parentWidget()->window();
  return owner->frameGeometry().size() - owner->size();
}

void PlaceBesideMainForm(QWidget& dialog) {
  const TMainRect main = MainFormRect();
  QRect screen(0, 0, 0, 0);
  if (const QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->geometry();
  const QSize frame = dialog.size() + FrameExtent(dialog);
  QPoint client;  // the client area's place in the frame, when only the owner's tells it
  if (dialog.frameGeometry().size() == dialog.size() && dialog.parentWidget() != nullptr) {
    const QWidget* owner = dialog.parentWidget()->window();
    client = owner->geometry().topLeft() - owner->frameGeometry().topLeft();
  }
  const QPoint corner(std::min(screen.x() + screen.width() - frame.width(), main.Right),
                      std::min(screen.y() + screen.height() - frame.height(), main.Bottom));
  // An unframed window moved to a corner is shown with its client area there, its frame a title
  // bar higher than on every later showing: its client area is placed instead.
  if (client.isNull()) {
    dialog.move(corner);
  } else {
    dialog.setGeometry(QRect(corner + client, dialog.size()));
  }
  auto* placement = dialog.findChild<FramePlacement*>("FramePlacement", Qt::FindDirectChildrenOnly);
  if (placement == nullptr) placement = new FramePlacement(dialog);
  placement->Arm(corner);
}
