// A file dialog filled in as a user does: a name typed into the name box, then Return.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Presses Return in the name box; answers whether the dialog has closed (a folder's name keeps it
// open in that folder). The toolkit's own boxes (its "File not found") take no modal hook: they
// are closed as a user would close them, their texts added to `toolkitBoxes`, which must outlive
// the dialog.
inline bool PressReturn(QFileDialog& dialog, QStringList& toolkitBoxes) {
  QTimer::singleShot(0, &dialog, [&dialog, &toolkitBoxes] {
    for (QMessageBox* box : dialog.findChildren<QMessageBox*>()) {
      if (!box->isVisible()) continue;
      toolkitBoxes << box->text();
      box->close();
    }
  });
  QTest::keyClick(dialog.findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
  return !dialog.isVisible();
}

// Shows `dialog`, puts `text` into the name box and presses Return.
inline bool EnterFileName(QFileDialog& dialog, const QString& text, QStringList& toolkitBoxes) {
  dialog.show();
  auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  // Typing replaces the selection of a dialog shown again only while the name box has the focus.
  dialog.findChild<QAbstractItemView*>("listView")->clearSelection();
  edit->setText(text);
  return PressReturn(dialog, toolkitBoxes);
}

// Waits until the dialog lists `name` in the folder it shows, as a user sees it before typing: the
// list is filled in the background, and the chosen filter hides what it does not show only then.
inline bool WaitForListing(const QFileDialog& dialog, const QString& name) {
  const auto* list = dialog.findChild<QAbstractItemView*>("listView");
  return QTest::qWaitFor(
      [list, &name] {
        const QModelIndex first = list->model()->index(0, 0, list->rootIndex());
        return !list->model()->match(first, Qt::DisplayRole, name, 1, Qt::MatchExactly).isEmpty();
      },
      20000);
}

// Shows `dialog` and types `text` with keys after what the name box holds, the box in focus as a
// user's typing has it (the dialog then leaves the text as typed, whatever it selects in the list),
// and presses Return.
inline bool TypeFileName(QFileDialog& dialog, const QString& text, QStringList& toolkitBoxes) {
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  edit->setFocus(Qt::OtherFocusReason);
  edit->end(false);
  QTest::keyClicks(edit, text);
  return PressReturn(dialog, toolkitBoxes);
}
