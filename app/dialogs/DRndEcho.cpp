#include "app/dialogs/DRndEcho.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <string>

#include "gui/controls.h"
#include "wave/dicer.h"

using dechofilter::kMonoButActive;

namespace {
enum Page { kTime, kVolume, kLength, kBalance, kPitch, kTempo };
constexpr const char* kPageNames[] = {"Time", "Volume", "Length", "Balance", "Pitch", "Tempo"};
constexpr const char* kSourceNames[] = {"cboTimeSource", "cboVolumeSource", "cboLengthSource",
                                        "cboBalSource",  "cboPitchSource",  "cboTempoSource"};
}  // namespace

void TDlgRandomEchoProps::FillDieList(QComboBox& combo) {
  combo.clear();
  for (int die = 1; die <= Dicer::DICES; ++die) combo.addItem(QString("Die %1").arg(die));
}

TDlgRandomEchoProps::TDlgRandomEchoProps(QWidget* owner, const TRandomEchoProps& props)
    : TEchoFilterDlg(owner, props) {
  setWindowTitle("Random Echo");
  SetHelpContext(13);
  pgcEchoManip = dcommon::Named(new QTabWidget(this), "pgcEchoManip");
  // All six tabs in sight: the page control is made as wide as its tabs, never scrolls them.
  pgcEchoManip->setUsesScrollButtons(false);
  const std::array<int32_t*, 6> sourceFields{&Record.TimeSource,   &Record.VolumeSource,
                                             &Record.LengthSource, &Record.BalSource,
                                             &Record.PitchSource,  &Record.TempoSource};
  for (size_t page = 0; page < sources_.size(); ++page) {
    sources_[page] = dcommon::Named(new QComboBox(this), kSourceNames[page]);
  }
  AddStep(
      [this, sourceFields] {
        pgcEchoManip->setCurrentIndex(Record.ActivePage);
        for (size_t i = 0; i < sources_.size(); ++i) {
          FillDieList(*sources_[i]);
          sources_[i]->setCurrentIndex(*sourceFields[i]);
        }
      },
      [this, sourceFields](uint8_t&) {
        if (pgcEchoManip->currentIndex() >= 0) Record.ActivePage = pgcEchoManip->currentIndex();
        // A list with nothing chosen keeps its die.
        for (size_t i = 0; i < sources_.size(); ++i) {
          if (sources_[i]->currentIndex() >= 0) *sourceFields[i] = sources_[i]->currentIndex();
        }
      });

  // Time offers no "No Change": its first option is the linear one.
  BeginPage();
  TChoice& time = AddChoice(Record.TimeKind);
  AddOption(time, "optTimeLinear", "Linear");
  AddOptionRows(time, {{"optTimeEnvelope", "Random Envelope", "cboTimeEnvelope", nullptr,
                        "Time - Random Envelope", &Record.TimeEnvelope, kMonoButActive}});
  PlaceRow("Source", sources_[kTime]);
  QLineEdit* timeDiff =
      AddInput("editTimeDiff", "Time Difference", Record.TimeDiff, "Time Difference");
  // The difference is shown again as it was read, in the unit it was typed in.
  AddStep({}, [this, timeDiff](uint8_t& ok) {
    if (ok != 0) timeDiff->setText(QString::fromStdString(Record.TimeDiff.Write()));
  });
  EndPage(*pgcEchoManip, kTime, kPageNames[kTime]);

  AddVariation(kVolume, "Volume", Record.VolumeKind, true, "Volume", Record.VolumeEnvelope,
               sources_[kVolume]);
  AddVariation(kLength, "Length", Record.LengthKind, false, "Length", Record.LengthEnvelope,
               sources_[kLength]);

  BeginPage();
  AddVariation(kBalance, nullptr, Record.BalKind, true, "Bal", Record.BalEnvelope,
               sources_[kBalance]);
  dcommon::Named(AddRadioGroup("Volume Difference", {"None", "Volume", "Filter"}, Record.BalVolume),
                 "rgrBalVolume");
  AddSwitch("chkBalTimeDiff", "Time Difference", Record.BalTimeDiff);
  EndPage(*pgcEchoManip, kBalance, "Balance");

  AddVariation(kTempo, "Tempo", Record.TempoKind, false, "Tempo", Record.TempoEnvelope,
               sources_[kTempo]);

  // The frequency factor belongs to the pitch envelope and is read only with it.
  BeginPage();
  TChoice& pitch = AddChoice(Record.PitchKind);
  AddOption(pitch, "optPitchNoChange", "No Change");
  QRadioButton* optPitchEnvelope = AddOption(pitch, "optPitchEnvelope", "Random Envelope", false);
  AddOptionInput(pitch, optPitchEnvelope, "editFreqFactor", "Frequency Factor", Record.FreqFactor,
                 "Pitch - Frequency Factor", false);
  AddOptionWave(pitch, optPitchEnvelope, "cboPitchEnvelope", Record.PitchEnvelope,
                "Pitch - Random Envelope", kMonoButActive);
  PlaceRow("Source", sources_[kPitch]);
  EndPage(*pgcEchoManip, kPitch, kPageNames[kPitch]);

  MoveTo(0, 0);
  AddInput("editCount", "Count", Record.Count, "Count");
  AddInput("editRandomSeed", "&Random Seed", Record.RandomSeed, "Random Seed");
  AddSwitch("chkCyclable", "Cyclable", Record.Cyclable);
  QLineEdit* blockSize = AddInput("editBlockSize", "Block Size", Record.BlockSize, "Block Size");
  auto* quality = dcommon::Named(AddRadioGroup("Quality", {"Low", "High"}, Record.Quality), "rgrQuality");
  // Block Size and Quality serve the pitch and tempo changes: they stand in a group of their own
  // where the body placed them.
  QLabel* blockSizeLabel = nullptr;
  for (QLabel* label : Body()->parentWidget()->findChildren<QLabel*>()) {
    if (label->buddy() == blockSize) blockSizeLabel = label;
  }
  int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
  Body()->getItemPosition(Body()->indexOf(blockSizeLabel), &row, &column, &rowSpan, &columnSpan);
  auto* pitchTempo = dcommon::Named(new QGroupBox("Pitch Tempo", Body()->parentWidget()), "grpPitchTempo");
  auto* inside = new QGridLayout(pitchTempo);
  for (QWidget* moved : {static_cast<QWidget*>(blockSizeLabel), static_cast<QWidget*>(blockSize),
                         static_cast<QWidget*>(quality)}) {
    Body()->removeWidget(moved);
  }
  inside->addWidget(blockSizeLabel, 0, 0);
  inside->addWidget(blockSize, 0, 1);
  inside->addWidget(quality, 1, 0, 1, 2);
  Body()->addWidget(pitchTempo, row, column, 2, 2);
  // The pages stand beside the fields common to all echoes, as high as they are together.
  Body()->addWidget(pgcEchoManip, 0, 2, 5, 2);
  Body()->setRowStretch(5, 1);
  FitBody();
}

// One page of a property that is left alone, changed linearly (where `linear`) or read from a
// random place of an envelope, with the die it takes. A null caption leaves the page open for
// more fields.
void TDlgRandomEchoProps::AddVariation(int page, const char* caption, uint8_t& kind, bool linear,
                                       const char* name, unitUnitWave& envelope,
                                       QComboBox* source) {
  const std::string prefix = "opt" + std::string(name);
  const std::string combo = "cbo" + std::string(name) + "Envelope";
  const std::string fieldName = std::string(kPageNames[page]) + " - Random Envelope";
  if (caption != nullptr) BeginPage();
  TChoice& choice = AddChoice(kind);
  AddOption(choice, (prefix + "NoChange").c_str(), "No Change");
  if (linear) AddOption(choice, (prefix + "Linear").c_str(), "Linear");
  QRadioButton* option = AddOption(choice, (prefix + "Envelope").c_str(), "Random Envelope", false);
  AddOptionWave(choice, option, combo.c_str(), envelope, fieldName, kMonoButActive);
  PlaceRow("Source", source);
  if (caption != nullptr) EndPage(*pgcEchoManip, page, caption);
}
