// The About box: the product title with its version, the application icon and a small logo drawn
// in lines, scaled with the box. F1 in it shows the help's contents.
#pragma once

#include <QDialog>

class QPainter;
class QPushButton;

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* owner);
  // Modal, centred on the screen; OK (or Enter) answers QDialog::Accepted.
  int ShowModal();
  // Draws the picture with `painter` over a form of the present size.
  void FormPaint(QPainter& painter) const;

  QPushButton* OKButton;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};
