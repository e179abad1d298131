// Plays the user in every dialog a command opens, through the modal hook: the dialog is shown,
// `drive` acts on it, and a dialog left open is cancelled. Keeps the captions of the dialogs seen.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/BaseDlg.h"
#include "gui/application.h"

class ScriptedDialogs {
 public:
  explicit ScriptedDialogs(std::function<void(TDialogForm&)> drive)
      : runner_([this, drive](QDialog& shown) {
          captions.push_back(shown.windowTitle().toStdString());
          shown.show();
          if (drive) drive(static_cast<TDialogForm&>(shown));
          if (shown.isVisible()) shown.reject();
          return shown.result();
        }) {}
  std::vector<std::string> captions;

 private:
  ScopedModalRunner runner_;
};
