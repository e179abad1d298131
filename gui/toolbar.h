// A tool bar whose buttons flow onto further rows (further columns when docked at a side) when
// its dock line is shorter than they are, while it is `Wrapable`. Qt's own tool bar never wraps:
// it hides what does not fit behind an extension button. Here the buttons live in one holder on
// the bar, which Qt docks, moves and floats as usual and never has to cut short.
#pragma once

#include <QToolBar>
#include <map>

class FlowLayout;

class WrapToolBar : public QToolBar {
 public:
  explicit WrapToolBar(const QString& title, QWidget* parent = nullptr);

 protected:
  void actionEvent(QActionEvent* event) override;

 private:
  // Off while the bar is dragged or floats, on again once it is docked.
  void SetWrapable(bool wrapable);
  void KeepRowsOutOfTheMinimum();
  void KeepALineOfItsOwn();
  QWidget* MakeWidget(QAction* action);
  // The button (or the widget) that shows `action` on the bar; none when the bar does not hold it.
  QWidget* WidgetOf(const QAction* action) const;

  QWidget* holder_;
  FlowLayout* flow_;
  std::map<const QAction*, QWidget*> widgets_;
};
