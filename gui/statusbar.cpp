#include "gui/statusbar.h"

#include <QLabel>

#include "foundation/assertion.h"

namespace {

constexpr const char* kAssertUnit = "statusbar";
constexpr int kPanelGap = 2;

// Holds the panels at fixed places without asking for their room, so it never sets a minimum
// width for the window.
class PanelStrip : public QWidget {
 public:
  explicit PanelStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  }
  QSize sizeHint() const override { return {width_, height_}; }
  QSize minimumSizeHint() const override { return {0, height_}; }
  void Place(QLabel* panel, int width) {
    height_ = std::max(height_, panel->sizeHint().height());
    panel->setGeometry(width_, 0, width, height_);
    width_ += width + kPanelGap;
  }
  void FitHeights() {
    for (QObject* child : children()) {
      if (auto* panel = qobject_cast<QLabel*>(child)) panel->resize(panel->width(), height_);
    }
    setFixedHeight(height_);
  }

 private:
  int width_ = 0;
  int height_ = 0;
};

}  // namespace

StatusPanels::StatusPanels(std::initializer_list<int> widths, QWidget* parent)
    : QStatusBar(parent) {
  setSizeGripEnabled(false);
  auto* strip = new PanelStrip(this);
  for (const int width : widths) {
    auto* panel = new QLabel(strip);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    strip->Place(panel, width);
    panels_.push_back(panel);
  }
  strip->FitHeights();
  addWidget(strip, 1);
}

int StatusPanels::PanelWidth(int index) const {
  KV_ASSERT(index >= 0 && index < PanelCount());
  return panels_[static_cast<size_t>(index)]->width();
}

void StatusPanels::SetPanelText(int index, const std::string& text) {
  KV_ASSERT(index >= 0 && index < PanelCount());
  panels_[static_cast<size_t>(index)]->setText(QString::fromStdString(text));
}

void StatusPanels::SetPanelWidth(int index, int width) {
  KV_ASSERT(index >= 0 && index < PanelCount());
  QLabel* const panel = panels_[static_cast<size_t>(index)];
  const int shift = std::max(width, 0) - panel->width();
  if (shift == 0) return;
  panel->resize(panel->width() + shift, panel->height());
  for (size_t later = static_cast<size_t>(index) + 1; later < panels_.size(); ++later) {
    panels_[later]->move(panels_[later]->x() + shift, panels_[later]->y());
  }
}

std::string StatusPanels::PanelText(int index) const {
  KV_ASSERT(index >= 0 && index < PanelCount());
  return panels_[static_cast<size_t>(index)]->text().toStdString();
}
