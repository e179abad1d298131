#include "gui/application.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSpacerItem>
#include <QString>

namespace {

// What a title bar takes besides its caption: the window's icon, its close button and the edges.
constexpr int kTitleBarExtra = 96;
// Window managers draw titles in a larger font than the forms' 8 points.
constexpr double kTitlePointSize = 10.5;

std::string title;
std::string helpFile;
ModalRunner modalRunner;

class NoHelpFile : public HelpService {
 public:
  bool HelpCommand(int command, int data) override {
    ShowMessageBox(NoHelpText(command, data), ApplicationTitle(), kMbOk | kMbIconInformation);
    return false;
  }
};

NoHelpFile noHelpFile;
HelpService* helpService = &noHelpFile;

QMessageBox::Icon IconOf(int flags) {
  switch (flags & 0xF0) {
    case kMbIconStop:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconWarning:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons ButtonsOf(int flags) {
  switch (flags & 0x0F) {
    case kMbOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case kMbYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case kMbYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

// The button Return presses: the first, unless the flags make it the second.
QMessageBox::StandardButton DefaultOf(int flags) {
  if ((flags & kMbDefButton2) == 0) return QMessageBox::NoButton;
  switch (flags & 0x0F) {
    case kMbOkCancel:
      return QMessageBox::Cancel;
    case kMbYesNoCancel:
    case kMbYesNo:
      return QMessageBox::No;
    default:
      return QMessageBox::NoButton;
  }
}

int AnswerOf(int button, int flags) {
  switch (button) {
    case QMessageBox::Ok:
      return kIdOk;
    case QMessageBox::Cancel:
      return kIdCancel;
    case QMessageBox::Yes:
      return kIdYes;
    case QMessageBox::No:
      return kIdNo;
    default:
      // Closed without a button: the box's escape answer.
      switch (flags & 0x0F) {
        case kMbOkCancel:
        case kMbYesNoCancel:
          return kIdCancel;
        case kMbYesNo:
          return kIdNo;
        default:
          return kIdOk;
      }
  }
}

}  // namespace

void SetApplicationTitle(const std::string& newTitle) {
  title = newTitle;
  QCoreApplication::setApplicationName(QString::fromStdString(newTitle));
}

const std::string& ApplicationTitle() { return title; }

void SetHelpFile(const std::string& path) { helpFile = path; }

const std::string& HelpFile() { return helpFile; }

void InstallFontSubstitutes() {
  QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont::insertSubstitution("Times New Roman", "Liberation Serif");
  QFont::insertSubstitution("Courier New", "Liberation Mono");
  QFont::insertSubstitution("Terminal", "DejaVu Sans Mono");
  QApplication::setFont(QFont("MS Sans Serif", 8));
}

ModalRunner SetModalRunner(ModalRunner runner) {
  ModalRunner previous = std::move(modalRunner);
  modalRunner = std::move(runner);
  return previous;
}

int ExecModal(QDialog& dialog) {
  // A modal dialog is closed, never minimised or maximised: its frame offers the close box alone.
  Qt::WindowFlags flags = dialog.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  flags &= ~(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint);
  // A window that stays on top would cover a dialog opened from the main window, and the program
  // would seem to hang on a dialog out of sight: the dialog stays on top while one is shown.
  for (const QWidget* top : QApplication::topLevelWidgets()) {
    if (top != &dialog && top->isVisible() && top->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      flags |= Qt::WindowStaysOnTopHint;
    }
  }
  if (flags != dialog.windowFlags()) dialog.setWindowFlags(flags);
  if (modalRunner) return modalRunner(dialog);
  return dialog.exec();
}

int QtMessageSink::ShowMessage(const std::string& text, const std::string& caption, int flags) {
  // A box raised while a dialog is the active window belongs to that dialog:
  // owned by the main window it would open behind a dialog that stays on top, out of reach.
  QWidget* parent = owner_;
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && active != owner_ && active->isVisible()) parent = active;
  QMessageBox box(IconOf(flags), QString::fromStdString(caption), QString::fromStdString(text),
                  ButtonsOf(flags), parent);
  if (const QMessageBox::StandardButton byDefault = DefaultOf(flags);
      byDefault != QMessageBox::NoButton) {
    box.setDefaultButton(byDefault);
  }
  if (parent != nullptr && parent->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  // A box is as wide as its text, and the window manager cuts a caption wider than the box
  // ("You have un… ed changes" over a short question): the box is made wide enough for its
  // caption in a bold title font, beside the frame's icon and close box.
  QFont titleFont = box.font();
  titleFont.setBold(true);
  if (titleFont.pointSizeF() < kTitlePointSize) titleFont.setPointSizeF(kTitlePointSize);
  const int captionWidth =
      QFontMetrics(titleFont).horizontalAdvance(QString::fromStdString(caption)) + kTitleBarExtra;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  return AnswerOf(ExecModal(box), flags);
}

HelpService* SetHelpService(HelpService* service) {
  HelpService* previous = helpService == &noHelpFile ? nullptr : helpService;
  helpService = service ? service : &noHelpFile;
  return previous;
}

bool HelpCommand(int command, int data) { return helpService->HelpCommand(command, data); }

bool HelpContext(int context) { return HelpCommand(kHelpContext, context); }

std::string NoHelpText(int command, int data) {
  std::string topic;
  switch (command) {
    case kHelpContext:
      topic = "help context " + std::to_string(data);
      break;
    case kHelpContents:
      topic = "the contents";
      break;
    case kHelpFinder:
      topic = "the topic search";
      break;
    case kHelpHelpOnHelp:
      topic = "help on help";
      break;
    default:
      topic = "help command " + std::to_string(command);
      break;
  }
  return "No help file is installed (" + helpFile + "), so " + topic + " cannot be shown.";
}

bool ClaimHelpKey(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
  event->accept();
  return true;
}
