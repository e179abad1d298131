#include "app/wavewindow/ChildWin.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMouseEvent>

#include "app/wavewindow/WindowHost.h"
#include "foundation/assertion.h"
#include "foundation/messages.h"
#include "foundation/unit.h"
#include "wave/shell.h"

namespace {

constexpr const char* kAssertUnit = "ChildWin";

}  // namespace

TMDIChildKorvalen::TMDIChildKorvalen(QWidget* owner) : QMdiSubWindow(owner) {
  // The window frees itself when it closes, and takes its document with it.
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(kChildCaption);
  SetClientArea(new QWidget);
}

TMDIChildKorvalen::~TMDIChildKorvalen() { DeleteUnit(); }

uint8_t TMDIChildKorvalen::GetKind() const { return TheUnit ? TheUnit->GetKind() : 0; }

void TMDIChildKorvalen::SetUnit(std::unique_ptr<TUnit> unit) {
  KV_ASSERT(!TheUnit);
  TheUnit = std::move(unit);
}

void TMDIChildKorvalen::DeleteUnit() { TheUnit.reset(); }

void TMDIChildKorvalen::ShowUnitName() {
  WindowHost* host = FindWindowHost();
  if (!host) return;
  host->EndEditName();
  host->SetEditName(TheUnit ? TheUnit->GetName() : std::string());
}

void TMDIChildKorvalen::EvFormOnActivate() {
  ShowUnitName();
  Shell()->MainSetDialogActive(false);
  NotifyActivated();
}

void TMDIChildKorvalen::FormClick() { EvFormOnActivate(); }

bool TMDIChildKorvalen::FormCloseQuery() {
  if (!TheUnit || !TheUnit->NeedsSave()) return true;
  ShowForQuestion();
  switch (ShowMessageBox(kSaveQuestion, kSaveQuestionCaption, kMbYesNoCancel)) {
    case kIdYes:
      // A save that fails or is cancelled keeps the window and its changes.
      return SaveUnit();
    case kIdNo:
      return true;
    default:
      return false;
  }
}

void TMDIChildKorvalen::ShowForQuestion() {
  // The question is about this document, so it shows over it: Exit asks the windows one after
  // another, and the frame would have made whichever window it chose active after the last close.
  // The main window also brings it into sight, and it stays the active one after Cancel.
  if (WindowHost* host = FindWindowHost()) {
    host->ShowForQuestion(*this);
  } else if (QMdiArea* area = mdiArea()) {
    area->setActiveSubWindow(this);
  }
}

void TMDIChildKorvalen::EvFormClose() {
  WindowHost* host = FindWindowHost();
  if (host && host->DocumentWindowCount() == 1) NotifyLastClosed();
}

void TMDIChildKorvalen::SetClientArea(QWidget* client) {
  QWidget* old = widget();
  if (old == client) return;
  setWidget(client);
  delete old;
  if (client) client->installEventFilter(this);
}

void TMDIChildKorvalen::closeEvent(QCloseEvent* event) {
  // A recording running into this document is the user's work like any change, as when the
  // program ends: in the document, the close question asks to save it, and Cancel keeps it.
  if (WindowHost* host = FindWindowHost()) host->EndRecordingInto(TheUnit.get());
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  EvFormClose();
  QMdiSubWindow::closeEvent(event);
  // The registry is the window list, which the window has just left: its document goes with it
  // now, not when the frame gets round to freeing the window.
  if (event->isAccepted()) DeleteUnit();
}

bool TMDIChildKorvalen::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widget() && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    FormClick();
  }
  return QMdiSubWindow::eventFilter(watched, event);
}
