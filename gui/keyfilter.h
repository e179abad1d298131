// The application-wide key filter: while text is being typed (in the name box or a modeless
// dialog), keys go to the focused field instead of the command shortcuts.
#pragma once

#include <QObject>
#include <functional>

class QEvent;

// The key rule: a key without Alt that is none of Tab, Enter, End, Home, the arrows, Insert and
// Delete belongs to the field being typed in and must not reach a shortcut.
bool KeyBelongsToTyping(int key, Qt::KeyboardModifiers modifiers);

// Holds a typing key back from the shortcuts: shortcuts are looked up only after the focused
// widget has declined the key's override event, so accepting it sends the key to the field alone.
// Answers whether the event was such a key.
bool HoldFromShortcuts(QEvent* event);

// Hands every event of the application to `handler` before it is delivered; the handler answers
// whether it handled the event.
class ApplicationEventFilter : public QObject {
 public:
  explicit ApplicationEventFilter(std::function<bool(QEvent*)> handler)
      : handler_(std::move(handler)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool(QEvent*)> handler_;
};
