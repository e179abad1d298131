// The application-wide key filter: while text is being typed (in the name box or a modeless
// dialog), keys go to the focused field instead of the command shortcuts.
#pragma once

#include <QObject>
#include <functional>

class QEvent;
class QKeyEvent;

// The key rule: a key without Alt that is none of Tab, Enter, End, Home, the arrows, Insert and
// Delete belongs to the field being typed in and must not reach a shortcut.
bool KeyBelongsToTyping(int key, Qt::KeyboardModifiers modifiers);

// Holds a typing key back from the shortcuts: shortcuts are looked up only after the focused
// widget has declined the key's override event, so accepting it sends the key to the field alone.
// Answers whether the event was such a key.
bool HoldFromShortcuts(QEvent* event);

// A widget that edits text the user types: a line or text edit, a spin box or an editable combo
// box, none of them read-only.
bool IsTextField(const QObject* widget);

// Delete, Insert and Backspace with any of Shift and Ctrl, Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+V and
// Ctrl+Z: keys a text field edits with.
bool KeyEditsField(int key, Qt::KeyboardModifiers modifiers);

// An Alt combination, not an AltGr character: some layouts give AltGr as Alt+Ctrl, others as the
// AltGr key or the group switch.
bool IsAltCombination(const QKeyEvent& key);

// The rules of a text field that has the focus, whoever else wants the key: its editing keys reach
// no shortcut (their override is accepted), and an Alt combination that no shortcut or mnemonic
// took never types its character into it (the press is swallowed). Answers whether `event`, sent
// to `receiver`, was taken.
bool KeepFieldKeys(QObject* receiver, QEvent* event);

// Hands every event of the application to `handler` with its receiver before it is delivered;
// the handler answers whether it handled the event.
class ApplicationEventFilter : public QObject {
 public:
  explicit ApplicationEventFilter(std::function<bool(QObject*, QEvent*)> handler)
      : handler_(std::move(handler)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool(QObject*, QEvent*)> handler_;
};
