// A status bar of fixed-width text panels, laid side by side from the left. Panels that do not
// fit are cut off at the window's edge instead of widening the window.
#pragma once

#include <QStatusBar>
#include <initializer_list>
#include <string>
#include <vector>

class QLabel;

class StatusPanels : public QStatusBar {
 public:
  StatusPanels(std::initializer_list<int> widths, QWidget* parent = nullptr);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  int PanelWidth(int index) const;
  // Later panels move along, so the panels stay side by side.
  void SetPanelWidth(int index, int width);
  void SetPanelText(int index, const std::string& text);
  std::string PanelText(int index) const;

 private:
  std::vector<QLabel*> panels_;
};
