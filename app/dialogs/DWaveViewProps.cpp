#include "app/dialogs/DWaveViewProps.h"

#include <QCheckBox>
#include <QLineEdit>
#include <utility>

#include "gui/controls.h"

namespace {

constexpr int kTextMaxLength = 99;
constexpr int kWaveViewHelp = 23;

}  // namespace

TDlgWaveViewProps::TDlgWaveViewProps(QWidget* owner, const TWaveViewProps& props,
                                     TWaveViewProps* defaults)
    : TPropsDlg(owner, props), DefaultProps(defaults) {
  setWindowTitle("Wave View");
  SetHelpContext(kWaveViewHelp);
  // Choices, switches and colours come first and are copied as they are; the two values follow.
  rgrDraw = AddRadioGroup("Draw", {"Lines", "Points"}, Record.DrawKind);
  MoveTo(1, 0);
  rgrDistribution = AddRadioGroup("Distribution", {"Constant", "Random"}, Record.Distribution);
  MoveTo(2, 0);
  rgrCombine = AddRadioGroup("Combine", {"Mixed", "Left at Front", "Right at Front"}, Record.Combine);
  MoveTo(0, 1);
  chkDrawGrid = AddCheckBox("Draw Grid", Record.DrawGrid);
  chk2Waves = AddCheckBox("2 Single Waves when Stereo", Record.TwoWaves);
  colbGrid = AddColorBox("", Record.GridColor);
  AddStep([this] { chkDrawGridClick(); }, {});
  colbBackground = AddColorBox("Background", Record.BackgroundColor);
  colbSingleWave = AddColorBox("Single Wave", Record.SingleWaveColor);
  MoveTo(1, 1);
  colbLeft = AddColorBox("Left", Record.LeftColor);
  colbRight = AddColorBox("Right", Record.RightColor);
  GroupRows("grpStereo", "Stereo", 1);
  editValuesPerPixel =
      AddEdit("Values per Pixel:", Record.ValuesPerPixel, "Values per Pixel", kTextMaxLength);
  editStrength = AddEdit("Strength:", Record.Strength, "Strength", kTextMaxLength);
  chkUseAsDefault = AddUseAsDefault(DefaultProps);

  for (auto [control, name] : {std::pair<QWidget*, const char*>{rgrDraw, "rgrDraw"},
                               {rgrDistribution, "rgrDistribution"}, {rgrCombine, "rgrCombine"},
                               {chkDrawGrid, "chkDrawGrid"}, {chk2Waves, "chk2Waves"},
                               {colbGrid, "colbGrid"}, {colbBackground, "colbBackground"},
                               {colbSingleWave, "colbSingleWave"}, {colbLeft, "colbLeft"},
                               {colbRight, "colbRight"}, {editValuesPerPixel, "editValuesPerPixel"},
                               {editStrength, "editStrength"}}) {
    control->setObjectName(name);
  }
  rgrDraw->OnClick = [this] { rgrDrawClick(); };
  connect(chkDrawGrid, &QCheckBox::toggled, this, [this] { chkDrawGridClick(); });
  FitBody();
}

void TDlgWaveViewProps::rgrDrawClick() { editStrength->setEnabled(rgrDraw->ItemIndex() == 1); }

void TDlgWaveViewProps::chkDrawGridClick() { colbGrid->setEnabled(chkDrawGrid->isChecked()); }
