#include "app/DMerge.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <tuple>

#include "app/wavewindow/ChildWave.h"
#include "app/Main.h"
#include "app/dialogs/WaveComboBox.h"
#include "foundation/messages.h"
#include "foundation/smallobj.h"
#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

bool SameLook(const TWaveLook& a, const TWaveLook& b) {
  return a.mode == b.mode && !(a.wave != b.wave) && !(a.vold != b.vold);
}

// The rate in whole kilohertz, rounded down.
std::string RateText(uint32_t hertz) {
  return unitFreq(static_cast<double>(hertz / 1000 * 1000), kUnitKiloHertz).Write();
}

int RateIndex(uint32_t hertz) {
  for (size_t i = 0; i < kMergeRates.size(); ++i) {
    if (static_cast<uint32_t>(kMergeRates[i].hertz) == hertz) return static_cast<int>(i);
  }
  return 0;
}

const char* BitsText(int16_t bytes) { return bytes == 1 ? mergetext::k8Bits : mergetext::k16Bits; }

void SetTexts(QLineEdit* one, QLineEdit* other, const std::string& oneText,
              const std::string& otherText) {
  one->setText(QString::fromStdString(oneText));
  other->setText(QString::fromStdString(otherText));
}

}  // namespace

TWaveLook LookOf(const TUnitWave& unitWave) {
  if (const auto* window = dynamic_cast<const TMDIChildWave*>(unitWave.GetView())) {
    return {window->GetWaveViewProps(), window->GetVoldViewProps(), window->ViewMode()};
  }
  // A document without a window (never one of the registry's) looks as a new window would.
  TWaveLook look;
  if (MainForm) look = {MainForm->WaveViewDefaults, MainForm->VoldViewDefaults, 0};
  return look;
}

TMergeDlg::TMergeDlg(QWidget* owner) : TOKHelpRightDlg(owner) {}

void TMergeDlg::Build(const char* caption, int helpContext, const std::string& oneWord,
                      const std::string& otherWord, unitUnitWave& one, unitUnitWave& other,
                      TMergeProps& format) {
  setWindowTitle(caption);
  SetHelpContext(helpContext);
  oneWord_ = oneWord;
  otherWord_ = otherWord;
  one_ = &one;
  other_ = &other;
  format_ = &format;
  QGridLayout* body = Body();
  for (auto [combo, word, value] :
       {std::tuple{&cboOne, &oneWord_, one_}, std::tuple{&cboOther, &otherWord_, other_}}) {
    *combo = new TWaveComboBox(body->parentWidget());
    (*combo)->setObjectName(QString::fromStdString("cbo" + *word));
    PlaceRow(word->c_str(), *combo);
    TWaveComboBox* box = *combo;
    // A plain copy: clang cannot capture a structured binding.
    auto* chosen = value;
    AddStep(
        [box, chosen] {
          FillWaveCombo(*box, 0);
          chosen->ShowInCombo(*box);
        },
        {});
    connect(box, &QComboBox::currentIndexChanged, this, [this] { EvOnChangeUnitWave(); });
  }
  Label1 = new QLabel("Properties of the new Wave", body->parentWidget());
  PlaceRow(nullptr, Label1);
  pgcDiffs = new QTabWidget(body->parentWidget());
  pgcDiffs->setObjectName("pgcDiffs");
  // When the waves differ in everything all four tabs show: the pages are as wide as their tabs.
  pgcDiffs->setUsesScrollButtons(false);
  PlaceRow(nullptr, pgcDiffs);

  tsFrequency = AddPage("Frequency", "tsFrequency", editFreqOne, editFreqOther);
  lbFreq = new QListWidget(tsFrequency);
  lbFreq->setObjectName("lbFreq");
  for (const TMergeRate& rate : kMergeRates) lbFreq->addItem(rate.text);
  static_cast<QFormLayout*>(tsFrequency->layout())->addRow(lbFreq);
  tsBits = AddPage("Bits", "tsBits", editBitsOne, editBitsOther);
  rgrBits = new TRadioGroup("Wave Values", {mergetext::k8Bits, mergetext::k16Bits}, tsBits);
  rgrBits->SetItemIndex(1);
  static_cast<QFormLayout*>(tsBits->layout())->addRow(rgrBits);
  tsDisplay = new QWidget;
  tsDisplay->setObjectName("tsDisplay");
  auto* displayLayout = new QFormLayout(tsDisplay);
  rgrDisplay = new TRadioGroup("Use Display Properties of", {oneWord_, otherWord_}, tsDisplay);
  rgrDisplay->SetItemIndex(0);
  displayLayout->addRow(rgrDisplay);
  pgcDiffs->addTab(tsDisplay, "Display");
}

QWidget* TMergeDlg::AddPage(const char* caption, const char* name, QLineEdit*& editOne,
                            QLineEdit*& editOther) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* layout = new QFormLayout(page);
  for (auto [edit, word] : {std::pair{&editOne, &oneWord_}, std::pair{&editOther, &otherWord_}}) {
    *edit = new QLineEdit(page);
    (*edit)->setReadOnly(true);
    layout->addRow(QString::fromStdString(*word), *edit);
  }
  pgcDiffs->addTab(page, caption);
  return page;
}

QWidget* TMergeDlg::AddFirstPage(const char* caption, QLineEdit*& editOne, QLineEdit*& editOther) {
  const std::string name = std::string("ts") + caption;
  firstPage_ = AddPage(caption, name.c_str(), editOne, editOther);
  pgcDiffs->removeTab(pgcDiffs->indexOf(firstPage_));
  pgcDiffs->insertTab(0, firstPage_, caption);
  return firstPage_;
}

void TMergeDlg::ShowPage(QWidget* page, bool visible) {
  pgcDiffs->setTabVisible(pgcDiffs->indexOf(page), visible);
}

bool TMergeDlg::PageVisible(QWidget* page) const {
  return pgcDiffs->isTabVisible(pgcDiffs->indexOf(page));
}

void TMergeDlg::HideTabs() {
  for (QWidget* page : {firstPage_, tsFrequency, tsBits, tsDisplay}) ShowPage(page, false);
}

void TMergeDlg::EvOnShow() {
  // Filling the boxes changes their choices; only the user's changes are compared.
  showing_ = true;
  TDialogForm::EvOnShow();
  showing_ = false;
  HideTabs();
  OKBtn->setEnabled(false);
  ok = 1;
}

void TMergeDlg::Refuse(const char* message) {
  ShowMessageBox(message, msgtext::kInputError, kMbOk | kMbIconInformation);
  OKBtn->setEnabled(false);
  HideTabs();
}

void TMergeDlg::EvOnChangeUnitWave() {
  if (showing_) return;
  if (cboOne->GetItemIndex() < 0 || cboOther->GetItemIndex() < 0) return;
  if (cboOne->GetItemIndex() == cboOther->GetItemIndex())
    return Refuse(mergetext::kWavesMustDiffer);
  bool read = true;
  one_->ReadFromCombo(read, *cboOne, oneWord_);
  other_->ReadFromCombo(read, *cboOther, otherWord_);
  if (!read) return;
  const TUnitWave* one = one_->GetUnitWave();
  const TUnitWave* other = other_->GetUnitWave();
  if (!one || !other) return;
  OKBtn->setEnabled(true);
  CompareFirstPage(*one, *other);
  CompareRates(*one, *other);
  CompareBits(*one, *other);
  CompareLooks(*one, *other);
}

void TMergeDlg::CompareRates(const TUnitWave& one, const TUnitWave& other) {
  const uint32_t oneRate = one.GetSamplesPerSec();
  const uint32_t otherRate = other.GetSamplesPerSec();
  ShowPage(tsFrequency, oneRate != otherRate);
  if (oneRate == otherRate) return;
  SetTexts(editFreqOne, editFreqOther, RateText(oneRate), RateText(otherRate));
  lbFreq->setCurrentRow(RateIndex(std::max(oneRate, otherRate)));
}

void TMergeDlg::CompareBits(const TUnitWave& one, const TUnitWave& other) {
  const bool differ = one.GetBytesPerSample() != other.GetBytesPerSample();
  ShowPage(tsBits, differ);
  if (!differ) return;
  rgrBits->SetItemIndex(1);
  SetTexts(editBitsOne, editBitsOther, BitsText(one.GetBytesPerSample()),
           BitsText(other.GetBytesPerSample()));
}

void TMergeDlg::CompareLooks(const TUnitWave& one, const TUnitWave& other) {
  const bool same = SameLook(LookOf(one), LookOf(other));
  ShowPage(tsDisplay, !same);
  if (!same) rgrDisplay->SetItemIndex(0);
}

void TMergeDlg::OKBtnClick() {
  const TUnitWave* one = one_->GetUnitWave();
  const TUnitWave* other = other_->GetUnitWave();
  // Only a choice that passed the comparison enables OK; anything else keeps the dialog open.
  if (!one || !other || !OKBtn->isEnabled()) {
    ok = 0;
    return;
  }
  ReadFirstPage(*one);
  if (!PageVisible(tsFrequency)) {
    format_->Frequency = static_cast<int32_t>(one->GetSamplesPerSec());
  } else if (const int row = lbFreq->currentRow();
             row >= 0 && row < static_cast<int>(kMergeRates.size())) {
    format_->Frequency = kMergeRates[static_cast<size_t>(row)].hertz;
  }
  format_->BytesPSample = PageVisible(tsBits) && rgrBits->ItemIndex() >= 0
                              ? static_cast<int16_t>(rgrBits->ItemIndex() + 1)
                              : one->GetBytesPerSample();
  const TWaveLook look = LookOf(rgrDisplay->ItemIndex() == 1 ? *other : *one);
  format_->WaveViewProps = look.wave;
  format_->VoldViewProps = look.vold;
  format_->ViewMode = look.mode;
}
