// File Properties on a wave document: the dialog shows the document's format, OK without a choice
// hands it back unchanged, and the command makes undo and marks the document all the same.
#include <QListWidget>
#include <QPushButton>

#include "app/wavewindow/ChildWave.h"
#include "app/dialogs/DWaveProps.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

class FileProperties : public MainWindowTest {
 protected:
  FileProperties() : MainWindowTest("fileprops") {}

  // A saved document of 1000 samples in the format, then the command; answers the dialog's rows
  // (bits, rate, channels) as shown.
  std::vector<int> Run(int32_t rate, int16_t channels, int16_t bytes) {
    bool abort = false;
    SoundPtr sound = std::make_unique<MonoSound>(NewWaveChecked(abort, 1000), rate, bytes);
    if (channels == 2) sound = std::make_unique<StereoSound>(abort, *sound);
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    unit->SetSaved();
    document = unit.get();
    form->CreateMDIChildWave("wave", std::move(unit), TWaveViewProps(), TVoldViewProps());
    std::vector<int> shown;
    ScopedModalRunner runner([&](QDialog& d) {
      auto& dialog = dynamic_cast<TDlgWaveFileProp&>(d);
      dialog.show();
      shown = {dialog.grpWaveValues->ItemIndex(), dialog.lbSampleFreq->currentRow(),
               dialog.grpMonoStereo->ItemIndex()};
      dialog.OKBtn->click();
      return dialog.result();
    });
    form->FilePropertiesExecute();
    return shown;
  }

  TUnitWave* document = nullptr;
};

}  // namespace

TEST_F(FileProperties, OkWithoutChangesKeepsEveryFormatAndStillMarksTheDocument) {
  const std::pair<int32_t, int> rates[] = {{5512, 0},  {11025, 1},  {22050, 2}, {44100, 3},
                                           {88200, 4}, {176128, 5}, {48000, -1}};
  for (const auto& [rate, row] : rates) {
    for (const int16_t channels : {1, 2}) {
      for (const int16_t bytes : {1, 2}) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " ch, " << bytes << " B");
        const std::vector<int> shown = Run(rate, channels, bytes);
        EXPECT_EQ(shown, (std::vector<int>{bytes - 1, row, channels - 1}));
        EXPECT_EQ(std::tuple(document->GetSamplesPerSec(), document->GetChannels(),
                             document->GetBytesPerSample(), document->GetValues(),
                             document->GetState(), form->UndoUnit.GetUnitWave()),
                  std::tuple(static_cast<uint32_t>(rate), channels, bytes, 1000, kUnitStateModified,
                             document));
      }
    }
  }
}
