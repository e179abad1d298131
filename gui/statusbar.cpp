#include "gui/statusbar.h"

#include <QLabel>

#include "foundation/assertion.h"

namespace {
constexpr const char* kAssertUnit = "statusbar";
}  // namespace

StatusPanels::StatusPanels(std::initializer_list<int> widths, QWidget* parent)
    : QStatusBar(parent) {
  setSizeGripEnabled(false);
  for (const int width : widths) {
    auto* panel = new QLabel(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setFixedWidth(width);
    addWidget(panel);
    panels_.push_back(panel);
  }
}

int StatusPanels::PanelWidth(int index) const {
  KV_ASSERT(index >= 0 && index < PanelCount());
  return panels_[static_cast<size_t>(index)]->width();
}

void StatusPanels::SetPanelText(int index, const std::string& text) {
  KV_ASSERT(index >= 0 && index < PanelCount());
  panels_[static_cast<size_t>(index)]->setText(QString::fromStdString(text));
}

std::string StatusPanels::PanelText(int index) const {
  KV_ASSERT(index >= 0 && index < PanelCount());
  return panels_[static_cast<size_t>(index)]->text().toStdString();
}
