// A file dialog filled in as a user does: a name typed into the name box, then Return.
#pragma once

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Shows `dialog`, types `text` and presses Return; answers whether the dialog has closed (a
// folder's name keeps it open in that folder). The toolkit's own boxes (its "File not found")
// take no modal hook: they are closed as a user would close them, their texts added to
// `toolkitBoxes`, which must outlive the dialog.
inline bool EnterFileName(QFileDialog& dialog, const QString& text, QStringList& toolkitBoxes) {
  dialog.show();
  auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  // Typing replaces the selection of a dialog shown again only while the name box has the focus.
  dialog.findChild<QAbstractItemView*>("listView")->clearSelection();
  edit->setText(text);
  QTimer::singleShot(0, &dialog, [&dialog, &toolkitBoxes] {
    for (QMessageBox* box : dialog.findChildren<QMessageBox*>()) {
      if (!box->isVisible()) continue;
      toolkitBoxes << box->text();
      box->close();
    }
  });
  QTest::keyClick(edit, Qt::Key_Return);
  return !dialog.isVisible();
}
