#include "gui/toolbar.h"

#include <QActionEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>
#include <climits>

// Lays its items out in lines along the orientation, starting a new line where the next item
// would pass the end, as long as wrapping is on. Its preferred length is always the one line
// that holds everything, so a bar with room enough keeps one row.
class FlowLayout : public QLayout {
 public:
  using QLayout::QLayout;
  ~FlowLayout() override {
    while (QLayoutItem* item = FlowLayout::takeAt(0)) delete item;
  }

  void InsertWidget(int index, QWidget* widget) {
    addChildWidget(widget);
    items_.insert(std::clamp<qsizetype>(index, 0, items_.size()), new QWidgetItem(widget));
    invalidate();
  }
  void SetOrientation(Qt::Orientation orientation) {
    orientation_ = orientation;
    invalidate();
  }
  void SetWrap(bool wrap) {
    wrap_ = wrap;
    invalidate();
  }
  bool Wrap() const { return wrap_; }

  void addItem(QLayoutItem* item) override { items_.append(item); }
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override {
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
  }
  QLayoutItem* takeAt(int index) override {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
  }
  Qt::Orientations expandingDirections() const override { return {}; }

  QSize sizeHint() const override {
    return Oriented(Along(Arrange(INT_MAX, nullptr)), Across(Arrange(laidLength_, nullptr)));
  }
  // Also while not wrapping: the main window drops a dragged bar only where its minimum fits,
  // and a bar being dragged back into a narrow window must fit there to wrap again.
  QSize minimumSize() const override {
    int longest = 0;
    for (QLayoutItem* item : items_) {
      if (!item->isEmpty()) longest = std::max(longest, Along(item->sizeHint()));
    }
    return Oriented(longest, Across(Arrange(INT_MAX, nullptr)));
  }
  void setGeometry(const QRect& rect) override {
    QLayout::setGeometry(rect);
    const int before = Across(Arrange(laidLength_, nullptr));
    // A bar is laid out once at a small default size before it is shown in its dock: lines of
    // that length would stack up and make the main window grow to hold them.
    if (parentWidget() == nullptr || parentWidget()->isVisible()) laidLength_ = Along(rect.size());
    Arrange(laidLength_, &rect);
    // The number of lines follows the length the bar was given; the bar's height (its width at
    // a side) follows the lines, once this layout pass is over.
    if (Across(Arrange(laidLength_, nullptr)) != before && parentWidget() != nullptr) {
      QWidget* holder = parentWidget();
      QMetaObject::invokeMethod(holder, [holder] { holder->updateGeometry(); },
                                Qt::QueuedConnection);
    }
  }

 private:
  int Along(QSize size) const {
    return orientation_ == Qt::Horizontal ? size.width() : size.height();
  }
  int Across(QSize size) const {
    return orientation_ == Qt::Horizontal ? size.height() : size.width();
  }
  QSize Oriented(int along, int across) const {
    return orientation_ == Qt::Horizontal ? QSize(along, across) : QSize(across, along);
  }

  // Lines of at most `length` (any length when not wrapping); places the items in `rect` when
  // given. Answers the extent of all lines: the longest line along, the lines' sum across.
  QSize Arrange(int length, const QRect* rect) const {
    const int gap = spacing() < 0 ? 0 : spacing();
    struct Line { qsizetype first, end; int across; };
    std::vector<Line> lines;
    int along = 0, longest = 0;
    for (qsizetype i = 0; i < items_.size(); ++i) {
      if (items_[i]->isEmpty()) continue;
      const QSize hint = items_[i]->sizeHint();
      const bool fresh =
          lines.empty() || (wrap_ && along > 0 && along + gap + Along(hint) > length);
      if (fresh) {
        lines.push_back({i, i + 1, 0});
        along = Along(hint);
      } else {
        along += gap + Along(hint);
      }
      lines.back().end = i + 1;
      lines.back().across = std::max(lines.back().across, Across(hint));
      longest = std::max(longest, along);
    }
    int across = 0;
    for (const Line& line : lines) {
      if (rect != nullptr) {
        int at = 0;
        for (qsizetype i = line.first; i < line.end; ++i) {
          if (items_[i]->isEmpty()) continue;
          const QSize hint = items_[i]->sizeHint();
          // Centred across its line, as the buttons of one row of a plain tool bar are.
          const QPoint offset = orientation_ == Qt::Horizontal
                                    ? QPoint(at, across + (line.across - hint.height()) / 2)
                                    : QPoint(across + (line.across - hint.width()) / 2, at);
          items_[i]->setGeometry(QRect(rect->topLeft() + offset, hint));
          at += Along(hint) + gap;
        }
      }
      across += line.across + (&line == &lines.back() ? 0 : gap);
    }
    return Oriented(longest, across);
  }

  QList<QLayoutItem*> items_;
  Qt::Orientation orientation_ = Qt::Horizontal;
  bool wrap_ = true;
  int laidLength_ = INT_MAX;
};

namespace {

// The groove between groups of buttons, drawn by the style as on a plain tool bar.
class ToolSeparator : public QWidget {
 public:
  explicit ToolSeparator(QToolBar& bar) : QWidget(nullptr), bar_(bar) {}
  QSize sizeHint() const override {
    const int extent = style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, &bar_);
    const QSize icons = bar_.iconSize();
    return bar_.orientation() == Qt::Horizontal ? QSize(extent, icons.height())
                                                : QSize(icons.width(), extent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    if (bar_.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &option, &painter, &bar_);
  }

 private:
  QToolBar& bar_;
};

}  // namespace

WrapToolBar::WrapToolBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent), holder_(new QWidget), flow_(new FlowLayout(holder_)) {
  flow_->setContentsMargins(0, 0, 0, 0);
  flow_->setSpacing(style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, this));
  addWidget(holder_);
  KeepRowsOutOfTheMinimum();
  // Qt takes a dragged bar out of its dock and floats it until it is dropped on a dock again.
  // The change waits until Qt is done with the bar: a new size in the middle of the taking out
  // would cost the main window the place it keeps open for the bar's return.
  connect(this, &QToolBar::topLevelChanged, this, [this] {
    QMetaObject::invokeMethod(this, [this] {
      if (!isFloating()) KeepALineOfItsOwn();
      SetWrapable(!isFloating());
    }, Qt::QueuedConnection);
  });
  connect(this, &QToolBar::orientationChanged, this, [this](Qt::Orientation orientation) {
    flow_->SetOrientation(orientation);
    KeepRowsOutOfTheMinimum();
    for (const auto& [action, widget] : widgets_) {
      if (action->isSeparator()) widget->updateGeometry();
    }
    // Dragged past a side dock the bar stands up; floating it lies down again, and its window
    // takes the new shape once Qt is done with the change.
    QMetaObject::invokeMethod(this, [this] {
      if (isFloating()) resize(sizeHint());
    }, Qt::QueuedConnection);
  });
}

void WrapToolBar::KeepRowsOutOfTheMinimum() {
  // Qt's own policy makes a bar's preferred depth also the least it needs, and the main window
  // grows to give its bars the least they need: a bar squeezed for a moment while it docks would
  // stack its buttons in a tall column and stretch the user's window for good. The least a bar
  // needs is one row; the central area gives up what the further rows take.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void WrapToolBar::KeepALineOfItsOwn() {
  // Dropped beside another bar, Qt shares the dock line: the bar after the first would get
  // little more than one button's length and stack its buttons into a column. Every bar of the
  // dock keeps a line of its own, as the bars start out (a break before a line's first bar is
  // no change).
  auto* window = qobject_cast<QMainWindow*>(parentWidget());
  if (window == nullptr) return;
  const Qt::ToolBarArea area = window->toolBarArea(this);
  for (QToolBar* bar : window->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) {
    if (!bar->isFloating() && window->toolBarArea(bar) == area) window->insertToolBarBreak(bar);
  }
}

void WrapToolBar::SetWrapable(bool wrapable) {
  if (wrapable == flow_->Wrap()) return;
  flow_->SetWrap(wrapable);
  holder_->updateGeometry();
  // A floating bar takes its one row at once (adjustSize would stop at two thirds of the screen).
  if (isFloating()) resize(sizeHint());
}

QWidget* WrapToolBar::WidgetOf(const QAction* action) const {
  const auto found = widgets_.find(action);
  return found == widgets_.end() ? nullptr : found->second;
}

QWidget* WrapToolBar::MakeWidget(QAction* action) {
  if (action->isSeparator()) return new ToolSeparator(*this);
  if (auto* widgetAction = qobject_cast<QWidgetAction*>(action)) {
    return widgetAction->requestWidget(holder_);
  }
  auto* button = new QToolButton;
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setIconSize(iconSize());
  button->setToolButtonStyle(toolButtonStyle());
  button->setDefaultAction(action);
  connect(this, &QToolBar::iconSizeChanged, button, &QToolButton::setIconSize);
  connect(this, &QToolBar::toolButtonStyleChanged, button, &QToolButton::setToolButtonStyle);
  return button;
}

void WrapToolBar::actionEvent(QActionEvent* event) {
  QAction* action = event->action();
  const auto* own = qobject_cast<QWidgetAction*>(action);
  // The holder itself is the one item of Qt's own layout.
  if (own != nullptr && own->defaultWidget() == holder_) {
    QToolBar::actionEvent(event);
    return;
  }
  switch (event->type()) {
    case QEvent::ActionAdded: {
      QWidget* widget = MakeWidget(action);
      if (widget == nullptr) return;
      const QList<QAction*> all = actions();
      int index = 0;
      for (QAction* earlier : all) {
        if (earlier == action) break;
        if (WidgetOf(earlier) != nullptr) ++index;
      }
      widgets_[action] = widget;
      flow_->InsertWidget(index, widget);
      widget->setVisible(action->isVisible());
      break;
    }
    case QEvent::ActionChanged:
      if (QWidget* widget = WidgetOf(action)) widget->setVisible(action->isVisible());
      break;
    case QEvent::ActionRemoved:
      if (QWidget* widget = WidgetOf(action)) {
        widgets_.erase(action);
        flow_->removeWidget(widget);
        if (auto* widgetAction = qobject_cast<QWidgetAction*>(action)) {
          widgetAction->releaseWidget(widget);
        } else {
          delete widget;
        }
      }
      break;
    default:
      QToolBar::actionEvent(event);
      break;
  }
}
