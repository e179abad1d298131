// The application object of the desktop layer: title, help file and help commands, the modal road
// that every dialog, message box and file dialog takes, and the engine's message boxes on screen.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "foundation/messages.h"

class QDialog;

void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();
void SetHelpFile(const std::string& path);
const std::string& HelpFile();

// "MS Sans Serif" and "Arial" become Liberation Sans, "Times New Roman" Liberation Serif,
// "Courier New" Liberation Mono and "Terminal" DejaVu Sans Mono; the forms' default font follows.
void InstallFontSubstitutes();

// --- Modal road ---------------------------------------------------------------------------

// Runs a dialog modally and answers its result. The default is QDialog::exec; tests install a
// runner that inspects or drives the dialog and answers without blocking. Every modal dialog takes
// this road: the program's own forms, the message boxes, and the file dialogs (QFileDialog objects
// with QFileDialog::DontUseNativeDialog, so that they are real dialogs a test can fill in).
using ModalRunner = std::function<int(QDialog& dialog)>;
ModalRunner SetModalRunner(ModalRunner runner);  // an empty runner restores the default
int ExecModal(QDialog& dialog);

class ScopedModalRunner {
 public:
  explicit ScopedModalRunner(ModalRunner runner) : previous_(SetModalRunner(std::move(runner))) {}
  ~ScopedModalRunner() { SetModalRunner(previous_); }
  ScopedModalRunner(const ScopedModalRunner&) = delete;
  ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;

 private:
  ModalRunner previous_;
};

// --- Message boxes ------------------------------------------------------------------------

// Added to the flags of a box: its second button (No, or Cancel) answers Return, for a question
// whose Yes would lose someone's work. The value is the classic interface's.
inline constexpr int kMbDefButton2 = 0x100;

// Shows the engine's boxes as real message boxes owned by `owner` (may be null), or by the dialog
// that has the focus, so the box shows above it; titled with the box's caption, with the buttons
// and icon of the flags; answers kIdOk, kIdCancel, kIdYes or kIdNo.
class QtMessageSink : public MessageSink {
 public:
  explicit QtMessageSink(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }
  int ShowMessage(const std::string& text, const std::string& caption, int flags) override;

 private:
  QPointer<QWidget> owner_;
};

// --- Help ---------------------------------------------------------------------------------

// Help command words of the classic help interface.
enum HelpCommandWord : int {
  kHelpContext = 1,
  kHelpContents = 3,
  kHelpHelpOnHelp = 4,
  kHelpFinder = 11,
};

class HelpService {
 public:
  virtual ~HelpService() = default;
  // Answers whether help was shown.
  virtual bool HelpCommand(int command, int data) = 0;
};

// Installs a service and returns the previous one; null restores the default, which says in a
// box that no help file is installed and names what was asked for.
HelpService* SetHelpService(HelpService* service);
bool HelpCommand(int command, int data);
bool HelpContext(int context);
// The default service's box text for a command.
std::string NoHelpText(int command, int data);
// A window's own help key: accepts the override of a plain F1, so that the key reaches the
// window's key handler instead of the application's F1 shortcut. Answers whether it did.
bool ClaimHelpKey(QEvent* event);
