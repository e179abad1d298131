// The main window's modeless dialogs (Select and Zoom, Edit Music, Music Parts): each is built on
// first use with the main window as owner, then kept, hidden or shown, until the program ends.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>

class TMDIChildMuz;
class TMDIChildWave;
class TNoteStave;

// What the main window tells the Select-and-Zoom dialog.
class SelZoomNotices {
 public:
  virtual ~SelZoomNotices() = default;
  // The active wave window, or none when a music window or no window is active.
  virtual void ShowChild(TMDIChildWave* window) = 0;
  virtual void SelectionChanged(TMDIChildWave* window) = 0;
  virtual void ZoomChanged(TMDIChildWave* window) = 0;
};

// What the main window tells the music-parts dialog: the active music window, or none.
class MusTreeNotices {
 public:
  virtual ~MusTreeNotices() = default;
  virtual void SetUnitMuz(TMDIChildMuz* window) = 0;
};

// The music dialog hears the same, and of a stave whose border was dragged in the score.
class MusicNotices : public MusTreeNotices {
 public:
  virtual void RefreshStave(TNoteStave* stave) = 0;
};

// The part of a modeless dialog that does not depend on its class.
class ModelessToggle {
 public:
  ModelessToggle() = default;
  ModelessToggle(const ModelessToggle&) = delete;
  ModelessToggle& operator=(const ModelessToggle&) = delete;

  bool Exists() const { return !widget_.isNull(); }
  bool Visible() const { return Exists() && widget_->isVisible(); }
  QWidget* Widget() const { return widget_.data(); }
  // A shown dialog is closed (it hides itself and sends its closed notice); otherwise the dialog
  // is built on first use and shown in front. Answers whether it shows now: without a way to
  // build it, it never does. A dialog built here is the active window again, with its focus, once
  // the message boxes that opened over it are answered, however many one command showed.
  bool Toggle(QWidget* owner);
  // Called each time the dialog hides, however it went: Close, Escape, the frame's close box or
  // its own toggle. Set before the dialog is built.
  void OnHide(std::function<void()> hidden);

 protected:
  std::function<QWidget*(QWidget* owner)> build_;
  QPointer<QWidget> widget_;  // the owner deletes the dialog; the pointer then reads null

 private:
  std::unique_ptr<QObject> hideWatcher_;
};

// A modeless dialog seen through what the main window tells it.
template <class Notices>
class ModelessDialog : public ModelessToggle {
 public:
  // `make` (owner) answers a new dialog, of a class derived from QWidget and from Notices:
  //   DlgSelZoom.SetFactory([](QWidget* owner) { return new TDlgSelZoom(owner); });
  template <class Make>
  void SetFactory(Make make) {
    build_ = [this, make](QWidget* owner) -> QWidget* {
      auto* dialog = make(owner);
      notices_ = dialog;
      return dialog;
    };
  }
  // The dialog, or null while it is not built.
  Notices* Get() const { return Exists() ? notices_ : nullptr; }
  bool operator!=(std::nullptr_t) const { return Exists(); }

 private:
  Notices* notices_ = nullptr;
};

// What the window manager's frame adds to the size of `window`. It is not known before the window
// system has framed the window once: until then the owner's frame, drawn by the same window
// manager, tells it.
QSize FrameExtent(const QWidget& window);

// Moves a modeless dialog to the main window's lower right corner, but with its whole frame on
// the screen: the frame's top-left corner goes to that corner, or left and up as far as needed.
void PlaceBesideMainForm(QWidget& dialog);
