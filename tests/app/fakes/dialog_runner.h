// Runs a dialog through the modal road without blocking: the dialog is shown (which fills its
// controls), `drive` plays the user, and the run answers the dialog's result. A dialog that the
// driver left open is closed as the window's close box would.
#pragma once

#include <QDialog>
#include <functional>

#include "app/dialogs/BaseDlg.h"
#include "gui/application.h"

inline int RunDialog(TDialogForm& dialog, const std::function<void()>& drive) {
  ScopedModalRunner runner([&](QDialog& shown) {
    shown.show();
    drive();
    if (shown.isVisible()) shown.reject();
    return shown.result();
  });
  return dialog.ShowModal();
}
