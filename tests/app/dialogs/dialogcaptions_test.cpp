// Every parameter dialog as a user reads it: the caption of each control with the groups and tabs
// it stands in, and a layout with nothing cut, hidden or out of place.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/DBalance.h"
#include "app/dialogs/DBlock.h"
#include "app/dialogs/DBlockFilter.h"
#include "app/dialogs/DBlockTriangle.h"
#include "app/dialogs/DDistort.h"
#include "app/dialogs/DHighLow.h"
#include "app/dialogs/DLeftRight.h"
#include "app/dialogs/DLength.h"
#include "app/dialogs/DLine.h"
#include "app/dialogs/DMFreq.h"
#include "app/DMergeHor.h"
#include "app/DMergeVert.h"
#include "app/dialogs/DMix.h"
#include "app/dialogs/DNoise.h"
#include "app/dialogs/DPerEcho.h"
#include "app/dialogs/DRegister.h"
#include "app/dialogs/DResNotch.h"
#include "app/dialogs/DRndEcho.h"
#include "app/dialogs/DRollIn.h"
#include "app/dialogs/DRollOut.h"
#include "app/dialogs/DRotate.h"
#include "app/dialogs/DSilence.h"
#include "app/dialogs/DSinus.h"
#include "app/dialogs/DSplitHor.h"
#include "app/dialogs/DTempoPitch.h"
#include "app/dialogs/DUp.h"
#include "app/dialogs/DVoldViewProps.h"
#include "app/dialogs/DVolume.h"
#include "app/dialogs/DWaveProps.h"
#include "app/dialogs/DWaveViewProps.h"
#include "app/fakes/dialog_runner.h"
#include "support/captions.h"
#include "support/layout_check.h"

namespace {

using Captions = std::vector<std::pair<const char*, const char*>>;  // control (none: a heading)

struct DialogCase {
  std::function<std::unique_ptr<TDialogForm>()> make;
  Captions captions;
};

const Captions kLengthOptions{{"optLengthFactor", "Length Factor"},
                              {"optLengthNew", "New Length"},
                              {"optLengthSameAs", "Same Length as"},
                              {"optLengthCount", "Count"},
                              {"editStartPosition", "Start Position"}};

Captions With(Captions captions, const Captions& more) {
  captions.insert(captions.end(), more.begin(), more.end());
  return captions;
}

template <class Dialog, class... Args>
std::function<std::unique_ptr<TDialogForm>()> Make(Args... args) {
  return [=] { return std::unique_ptr<TDialogForm>(std::make_unique<Dialog>(nullptr, args...)); };
}

const std::map<std::string, DialogCase>& Dialogs() {
  static TWaveViewProps waveDefaults;
  static TVoldViewProps voldDefaults;
  static const std::map<std::string, DialogCase> dialogs{
      {"Wave View",
       {Make<TDlgWaveViewProps>(TWaveViewProps(), &waveDefaults),
        {{"rgrDraw", "Draw"}, {"rgrDistribution", "Distribution"}, {"rgrCombine", "Combine"},
         {"chkDrawGrid", "Draw Grid"}, {"chk2Waves", "2 Single Waves when Stereo"},
         {"colbBackground", "Background"}, {"colbSingleWave", "Single Wave"},
         {"colbLeft", "Stereo / Left"}, {"colbRight", "Stereo / Right"},
         {"editValuesPerPixel", "Values per Pixel:"}, {"editStrength", "Strength:"},
         {"chkUseAsDefault", "Use As Default"}}}},
      {"Volume Diagram",
       {Make<TDlgVoldViewProps>(TVoldViewProps(), &voldDefaults, 44100),
        {{"editTop", "Top"}, {"editBottom", "Bottom"}, {"editVertical", "Maximal Resolution / Vertical"},
         {"editWidth", "Width"}, {"editStrength", "Strength"},
         {"rgrHorDistribution", "Horizontal Distribution"}, {"rgrSensitivity", "Sensitivity"},
         {"chk2Waves", "2 Single Diagrams when Stereo"}, {"colbSingle", "Volume Single or Both "},
         {"colbLeft", "Volume Left"}, {"colbRight", "Volume Right"}, {"colbCursor", "Cursor"}}}},
      {"Make Block",
       {Make<TDlgBlockTriangleProps>(std::string("Make Block"), TBlockTriangleProps()),
        {{"editHeight1", "Heights / Height 1"}, {"editHeight2", "Heights / Height 2"},
         {"optFrequency", "Frequency"}, {"editFrequency", "Frequency"}, {"optMiddleConstant", "Middle"},
         {"optMiddleEnvelope", "Middle Envelope"}, {"optTime", "Wave in Time"}, {"editTime1", "Time 1"},
         {"editTime2", "Time 2"}, {"optLengthNew", "New Length"}, {"optLengthSameAs", "Same Length as"},
         {"optLengthCount", "Count"}, {"editStartPosition", "Start Position"}}}},
      {"Roll in",
       {Make<TDlgRollInProps>(TRollInProps()),
        {{"editLength", "Length"}, {"optStart", "Placement / Start at"}, {"optEnd", "Placement / End at"}}}},
      {"Pitch Tempo",
       {Make<TDlgTempoPitchProps>(TTempoPitchProps()),
        With({{"editFreqFactor", "Frequency Factor / Factor"},
              {"chkFreqEnvelope", "Frequency Factor / Envelope"},
              {"editSpeedFactor", "Speed / Factor"}, {"chkSpeedEnvelope", "Speed / Envelope"},
              {"rgrQuality", "Quality"}, {"editBlockSize", "Block Size"}},
             kLengthOptions)}},
      {"Roll out",
       {Make<TDlgRollOutProps>(TRollOutProps()),
        With({{"editSpeedFactor", "Speed / Factor"}, {"chkSpeedEnvelope", "Speed / Envelope"}},
             kLengthOptions)}},
      {"Period Echo",
       {Make<TDlgPerEchoProps>(TPerEchoProps()),
        {{nullptr, "Echo Time"}, {"editTime", "Time"}, {"chkTimeEnvelope", "Envelope"},
         {"optVolumeConstant", "Echo Volume / Constant"}, {"optVolumeEnvelope", "Echo Volume / Envelope"},
         {"editCount", "Echo Count"}}}},
      {"Resonant Filter",
       {Make<TDlgResNotchProps>(std::string("Resonant Filter"), TResNotchProps()),
        {{nullptr, "Frequency"}, {"optFreqConstant", "Constant"}, {"optFreqEnvelope", "Envelope"},
         {"optWidthConstant", "Frequency Width / Constant"},
         {"optWidthEnvelope", "Frequency Width / Envelope"}}}},
      {"High Filter",
       {Make<TDlgHighLowProps>(std::string("High Filter"), THighLowProps()),
        {{nullptr, "Frequency"}, {"editFreqConstant", "Constant / Frequency"},
         {"editFactor", "Constant / Volume Factor"}, {"optFreqEnvelope", "Envelope"},
         {"editCount", "Count"}, {"chkMaximizeVolume", "Maximize Volume"}}}},
      {"Multi Frequency",
       {Make<TDlgMFreqProps>(TMFreqProps()),
        {{"optSinus", "Sinus"}, {"optWaveForm", "Wave Form"}, {"editLength", "Length"},
         {"editCount", "Count"}, {"editCursor", "Cursor"}, {"editVolume", "Frequency / Start Volume"},
         {"editFrequency", "Frequency / Frequency"}, {"editAngle", "Frequency / Start Angle"},
         {"editVolFact", "Frequency / Volume Factor"},
         {"editVolFactTime", "Frequency / Volume Factor at Time"}, {"chkDefVolume", "Frequency"},
         {"chkDefVolFactTime", "Frequency"}, {nullptr, "Default"}}}},
      {"Block",
       {Make<TDlgBlockProps>(TBlockProps()),
        {{"optHorNoChange", "Horizontal / No Change"}, {"optHorCount", "Horizontal / Count"},
         {"optHorTime", "Horizontal / Time"}, {"optVertNoChange", "Vertical / No Change"},
         {"optVertCount", "Vertical / Count"}, {"optVertHeight", "Vertical / Height"}}}},
      {"Random Echo",
       {Make<TDlgRandomEchoProps>(TRandomEchoProps()),
        {{"optTimeLinear", "Time / Linear"}, {"optTimeEnvelope", "Time / Random Envelope"},
         {"cboTimeSource", "Time / Source"}, {"editTimeDiff", "Time / Time Difference"},
         {"optVolumeLinear", "Volume / Linear"}, {"optLengthNoChange", "Length / No Change"},
         {"rgrBalVolume", "Balance / Volume Difference"}, {"chkBalTimeDiff", "Balance / Time Difference"},
         {"editFreqFactor", "Pitch / Frequency Factor"}, {"optTempoEnvelope", "Tempo / Random Envelope"},
         {"editCount", "Count"}, {"editRandomSeed", "&Random Seed"}, {"chkCyclable", "Cyclable"},
         {"editBlockSize", "Pitch Tempo / Block Size"}, {"rgrQuality", "Pitch Tempo / Quality"}}}},
      {"Block Filter",
       {Make<TDlgBlockFilterProps>(TBlockFilterProps()),
        {{"chkTimeEnvelope", "Envelope"}, {"editTimeConstant", "Block Time"}}}},
      {"Make Sinus",
       {Make<TDlgSinusProps>(TSinusProps()),
        {{"optLength", "Length"}, {"optCount", "Count"}, {"editAmplitude", "Amplitude"},
         {"editFrequency", "Frequency"}, {"editStartPhase", "Start Phase"}}}},
      {"Make Line",
       {Make<TDlgLineProps>(TLineProps()),
        {{"rgrKind", "Kind"}, {"editBegin", "Begin Value"}, {"editEnd", "End Value"}, {"editLength", "Length"}}}},
      {"Make Noise", {Make<TDlgNoiseProps>(TNoiseProps()), {{"editVolume", "Volume"}, {"editLength", "Length"}}}},
      {"Make Silence", {Make<TDlgSilenceProps>(TSilenceProps()), {{"editLength", "Length"}}}},
      {"Change Volume",
       {Make<TDlgVolumeProps>(TVolumeProps()),
        {{nullptr, "Volume Factor"}, {"optConstant", "Constant"}, {"optEnvelope", "Envelope"}}}},
      {"Rotate",
       {Make<TDlgRotateProps>(TRotateProps(), 1.0),
        {{"rgrShift", "Shift to"}, {"optFactor", "Factor"}, {"optTime", "Time"}}}},
      {"Up / Down", {Make<TDlgUpProps>(TUpProps()), {{"editAdd", "Add Value"}}}},
      {"Mix Left Right",
       {Make<TDlgLeftRightProps>(TLeftRightProps()),
        {{"editLeft2Left", "from Left"}, {"editRight2Left", "from Right"}, {nullptr, "to Left"},
         {nullptr, "to Right"}, {"cboExample", "Example"}}}},
      {"Balance",
       {Make<TDlgBalanceProps>(TBalanceProps()),
        {{nullptr, "Direction"}, {"optDirConstant", "Constant"}, {"optDirEnvelope", "Envelope"},
         {"chkTimeDiff", "Time Difference"}, {"rgrVolume", "Volume Difference"}}}},
      {"Mix", {Make<TDlgMixProps>(TMixProps()), {{"rgrPlace", "Place"}}}},
      {"Change Length",
       {Make<TDlgLengthProps>(TLengthProps()),
        {{"optLengthFactor", "Length Factor"}, {"optLengthNew", "New Length"},
         {"optLengthSameAs", "Same Length as"}}}},
      {"Distort", {Make<TDlgDistortProps>(TDistortProps()), {{"cboDistortEnvelope", "Distort Envelope"}}}},
      {"Split Horizontally", {Make<TDlgSplitHorProps>(TSplitHorProps()), {}}},
      {"Merge Horizontally",
       {Make<TDlgMergeHorProps>(TMergeHorProps()),
        {{"cboFirst", "First"}, {"cboLast", "Last"}, {nullptr, "Properties of the new Wave"}}}},
      {"Merge Vertically",
       {Make<TDlgMergeVertProps>(TMergeVertProps()), {{"cboLeft", "Left"}, {"cboRight", "Right"}}}},
      {"Wave Properties", {Make<TDlgWaveFileProp>(waveFileProps(1, 44100, 2)), {}}},
      {"Register", {Make<TDlgRegisterWave>(std::string("name")), {{"EditName", "Name:"}}}},
  };
  return dialogs;
}

bool ShowsHeading(const QWidget& dialog, const char* text) {
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->isVisible() && label->buddy() == nullptr && label->text() == text) return true;
  }
  return false;
}

}  // namespace

TEST(DialogCaptions, EveryControlReadsByItsGroupTabAndLabel) {
  for (const auto& [caption, dialogCase] : Dialogs()) {
    SCOPED_TRACE(caption);
    std::unique_ptr<TDialogForm> dialog = dialogCase.make();
    RunDialog(*dialog, [&] {
      EXPECT_EQ(dialog->windowTitle().toStdString(), caption);
      for (const auto& [name, expected] : dialogCase.captions) {
        if (name == nullptr) {
          EXPECT_TRUE(ShowsHeading(*dialog, expected)) << expected;
          continue;
        }
        const auto* control = dialog->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(CaptionPath(*dialog, *control), expected) << name;
      }
    });
  }
}

TEST(DialogCaptions, NoDialogCutsHidesOrOverlapsWhatItShows) {
  for (const auto& [caption, dialogCase] : Dialogs()) {
    SCOPED_TRACE(caption);
    std::unique_ptr<TDialogForm> dialog = dialogCase.make();
    RunDialog(*dialog, [&] {
      // Every page that may show at once shows (the merge dialogs show those where waves differ).
      for (QTabWidget* pages : dialog->findChildren<QTabWidget*>()) {
        for (int page = 0; page < pages->count(); ++page) pages->setTabVisible(page, true);
      }
      QApplication::processEvents();
      EXPECT_EQ(LayoutFaults(*dialog), std::vector<std::string>{});
    });
  }
}

// Tab goes through a group's fields in one run, and in the dialogs of two columns through the
// left column before the right one.
TEST(DialogCaptions, TabFinishesEachGroupAndColumnBeforeTheNext) {
  for (const auto& [caption, dialogCase] : Dialogs()) {
    SCOPED_TRACE(caption);
    std::unique_ptr<TDialogForm> dialog = dialogCase.make();
    const bool twoColumns = caption == "Pitch Tempo" || caption == "Roll out" || caption == "Make Block";
    RunDialog(*dialog, [&] {
      QApplication::setActiveWindow(dialog.get());
      std::vector<QWidget*> stops{QApplication::focusWidget()};
      while (stops.back() != nullptr && stops.back()->objectName() != "OKBtn" && stops.size() < 100) {
        QTest::keyClick(stops.back(), Qt::Key_Tab);
        stops.push_back(QApplication::focusWidget());
      }
      ASSERT_NE(stops.back(), nullptr);
      for (const QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
        int runs = 0;
        for (size_t i = 0; i < stops.size(); ++i) {
          runs += group->isAncestorOf(stops[i]) && (i == 0 || !group->isAncestorOf(stops[i - 1]));
        }
        EXPECT_LE(runs, 1) << group->title().toStdString();
      }
      const int middle = dialog->findChild<QWidget*>("Body")->width() / 2;
      int columnChanges = 0;
      for (size_t i = 1; i + 1 < stops.size(); ++i) {
        const auto left = [&](const QWidget* w) { return w->mapTo(dialog.get(), QPoint(0, 0)).x() < middle; };
        columnChanges += left(stops[i]) != left(stops[i - 1]);
      }
      if (twoColumns) {
        EXPECT_EQ(columnChanges, 1);
      }
    });
  }
}
