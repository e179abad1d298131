#include "app/dialogs/DWaveProps.h"

#include <QListWidget>
#include <iterator>

#include "gui/controls.h"

namespace {

constexpr int kWavePropsHelp = 2;
constexpr const char* kRateItems[] = {"5 kHz", "11 kHz", "22 kHz", "44 kHz", "88 kHz", "176 kHz"};
static_assert(std::size(kRateItems) == std::size(kWaveRates));

}  // namespace

int WaveRateIndex(int32_t rate) {
  for (int index = 1; index < static_cast<int>(std::size(kWaveRates)); ++index) {
    if (kWaveRates[index] == rate) return index;
  }
  return 0;
}

int WaveRateRow(int32_t rate) {
  const int index = WaveRateIndex(rate);
  return kWaveRates[index] == rate ? index : -1;
}

TDlgWaveFileProp::TDlgWaveFileProp(QWidget* owner, const waveFileProps& props)
    : TOKHelpRightDlg(owner), Record(props) {
  setWindowTitle("Wave Properties");
  SetHelpContext(kWavePropsHelp);
  grpWaveValues = new TRadioGroup("Wave Values", {"8 Bits", "16 Bits"}, this);
  PlaceRow(nullptr, grpWaveValues);
  lbSampleFreq = new QListWidget(this);
  for (const char* item : kRateItems) lbSampleFreq->addItem(QString::fromLatin1(item));
  PlaceRow("Sample Frequency:", lbSampleFreq);
  grpMonoStereo = new TRadioGroup("", {"Mono", "Stereo"}, this);
  PlaceRow(nullptr, grpMonoStereo);
  AddStep(
      [this] {
        grpWaveValues->SetItemIndex(Record.BytesPSample == 1 ? 0 : 1);
        lbSampleFreq->setCurrentRow(WaveRateRow(Record.frequency));
        grpMonoStereo->SetItemIndex(Record.MonoStereo == 1 ? 0 : 1);
      },
      [this](uint8_t&) {
        Record.BytesPSample = grpWaveValues->ItemIndex() == 0 ? 1 : 2;
        const int row = lbSampleFreq->currentRow();
        if (row >= 0 && row < static_cast<int>(std::size(kWaveRates))) {
          Record.frequency = kWaveRates[row];
        }
        Record.MonoStereo = grpMonoStereo->ItemIndex() == 0 ? 1 : 2;
      });
  FitBody();
}
