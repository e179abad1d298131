#include "app/dialogs/DVoldViewProps.h"

#include <QCheckBox>
#include <QLineEdit>
#include <utility>

#include "gui/controls.h"

namespace {

constexpr int kTextMaxLength = 99;
constexpr int kVoldViewHelp = 3;

}  // namespace

TDlgVoldViewProps::TDlgVoldViewProps(QWidget* owner, const TVoldViewProps& props,
                                     TVoldViewProps* defaults, int32_t samplesPerSec)
    : TPropsDlg(owner, props), DefaultProps(defaults), SamplesPerSec(samplesPerSec) {
  setWindowTitle("Volume Diagram");
  SetHelpContext(kVoldViewHelp);
  chk2Waves = AddCheckBox("2 Single Diagrams when Stereo", Record.TwoDiagrams);
  colbBackground = AddColorBox("Background", Record.BackgroundColor);
  colbSingle = AddColorBox("Volume Single or Both ", Record.VolumeColor);
  colbLeft = AddColorBox("Volume Left", Record.LeftColor);
  colbRight = AddColorBox("Volume Right", Record.RightColor);
  colbCursor = AddColorBox("Cursor", Record.CursorColor);
  rgrHorDistribution = AddRadioGroup("Horizontal Distribution",
                                     {"Frequency Linear", "Logaritmic", "Time Linear"},
                                     Record.HorDistribution);
  rgrSensitivity = AddRadioGroup(
      "Sensitivity",
      {"Low (Kwadratic)", "Normal (Linear)", "High (Square root)", "Very High (Fourth root)"},
      Record.Sensitivity);

  MoveTo(1, 0);
  // Shown, no row may lie above half the sample rate; the value keeps the unit it was typed in.
  AddStep(
      [this] {
        const double limit = PeriodLimit(2);
        if (Record.TopFreq.GetValue() < limit) Record.TopFreq.SetValue(limit);
        if (Record.BottomFreq.GetValue() < limit) Record.BottomFreq.SetValue(limit);
      },
      {});
  // Typed, a row up to the sample rate itself passes; the stricter limit applies at the next show.
  editTop = AddEdit("Top", Record.TopFreq, "Top Frequency", kTextMaxLength);
  AddRule([this]() -> const char* {
    return Record.TopFreq.GetValue() < PeriodLimit(1) ? voldtext::kTopTooHigh : nullptr;
  });
  editBottom = AddEdit("Bottom", Record.BottomFreq, "Bottom Frequency", kTextMaxLength);
  AddRule([this]() -> const char* {
    return Record.TopFreq.GetValue() == Record.BottomFreq.GetValue() ? voldtext::kSameTopBottom
                                                                     : nullptr;
  });
  AddRule([this]() -> const char* {
    return Record.BottomFreq.GetValue() < PeriodLimit(1) ? voldtext::kBottomTooHigh : nullptr;
  });
  editStrength = AddEdit("Strength", Record.Strength, "Strength", kTextMaxLength);
  const int resolutionRow = NextRow();
  editVertical =
      AddEdit("Vertical", Record.VerticalResolution, "Vertical Resolution", kTextMaxLength);
  GroupRows("grpResolution", "Maximal Resolution", resolutionRow);
  editWidth = AddEdit("Width", Record.FreqWidth, "Frequency Width", kTextMaxLength);

  chkUseAsDefault = AddUseAsDefault(DefaultProps);
  for (auto [control, name] :
       {std::pair<QWidget*, const char*>{chk2Waves, "chk2Waves"}, {colbBackground, "colbBackground"},
        {colbSingle, "colbSingle"}, {colbLeft, "colbLeft"}, {colbRight, "colbRight"},
        {colbCursor, "colbCursor"}, {rgrHorDistribution, "rgrHorDistribution"},
        {rgrSensitivity, "rgrSensitivity"}, {editTop, "editTop"}, {editBottom, "editBottom"},
        {editStrength, "editStrength"}, {editVertical, "editVertical"}, {editWidth, "editWidth"}}) {
    control->setObjectName(name);
  }
  FitBody();
}

double TDlgVoldViewProps::PeriodLimit(int periods) const {
  return SamplesPerSec > 0 ? static_cast<double>(periods) / SamplesPerSec : 0.0;
}
