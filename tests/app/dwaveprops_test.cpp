// File Properties on a wave document: the dialog shows the document's format, OK hands it back
// unchanged unless the user chose another, and the command makes undo and marks the document.
#include <QListWidget>
#include <QPushButton>

#include "app/ChildWave.h"
#include "app/DWaveProps.h"
#include "app/fakes/main_window.h"
#include "gui/application.h"
#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

class FileProperties : public MainWindowTest {
 protected:
  FileProperties() : MainWindowTest("fileprops") {}

  TUnitWave* Open(int32_t rate, int16_t channels, int16_t bytes) {
    bool abort = false;
    SoundPtr sound;
    if (channels == 1) {
      sound = std::make_unique<MonoSound>(NewWaveChecked(abort, 1000), rate, bytes);
    } else {
      sound = std::make_unique<StereoSound>(NewWaveChecked(abort, 1000),
                                            NewWaveChecked(abort, 1000), rate, bytes);
    }
    auto unit = std::make_unique<TUnitWave>("", std::move(sound));
    unit->SetSaved();
    TUnitWave* document = unit.get();
    form->CreateMDIChildWave("wave", std::move(unit), TWaveViewProps(), TVoldViewProps());
    return document;
  }

  // The dialog's rows as shown: bits, rate, mono/stereo; `change` then plays the user.
  struct Shown {
    int bits = -2, rate = -2, channels = -2;
  };
  Shown Run(const std::function<void(TDlgWaveFileProp&)>& change, bool ok = true) {
    Shown shown;
    ScopedModalRunner runner([&](QDialog& d) {
      auto& dialog = dynamic_cast<TDlgWaveFileProp&>(d);
      dialog.show();
      shown = {dialog.grpWaveValues->ItemIndex(), dialog.lbSampleFreq->currentRow(),
               dialog.grpMonoStereo->ItemIndex()};
      change(dialog);
      (ok ? dialog.OKBtn : dialog.CancelBtn)->click();
      return dialog.result();
    });
    form->FilePropertiesExecute();
    return shown;
  }
};

}  // namespace

TEST_F(FileProperties, OkWithoutChangesKeepsEveryFormatAndStillMarksTheDocument) {
  const std::pair<int32_t, int> rates[] = {{5512, 0},  {11025, 1}, {22050, 2}, {44100, 3},
                                           {88200, 4}, {176128, 5}, {48000, -1}};
  for (const auto& [rate, row] : rates) {
    for (const int16_t channels : {1, 2}) {
      for (const int16_t bytes : {1, 2}) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " ch, " << bytes << " B");
        TUnitWave* document = Open(rate, channels, bytes);
        const Shown shown = Run([](TDlgWaveFileProp&) {});
        EXPECT_EQ(shown.bits, bytes - 1);
        EXPECT_EQ(shown.rate, row);
        EXPECT_EQ(shown.channels, channels - 1);
        EXPECT_EQ(document->GetSamplesPerSec(), static_cast<uint32_t>(rate));
        EXPECT_EQ(document->GetChannels(), channels);
        EXPECT_EQ(document->GetBytesPerSample(), bytes);
        EXPECT_EQ(document->GetValues(), 1000);
        EXPECT_EQ(document->GetState(), kUnitStateModified);
        EXPECT_EQ(form->UndoUnit.GetUnitWave(), document);
      }
    }
  }
}

TEST_F(FileProperties, ChosenFormatIsConvertedAndCancelChangesNothing) {
  TUnitWave* document = Open(48000, 1, 1);
  Run([](TDlgWaveFileProp& dialog) { dialog.lbSampleFreq->setCurrentRow(3); }, false);
  EXPECT_EQ(document->GetSamplesPerSec(), 48000u);
  EXPECT_EQ(document->GetState(), kUnitStateSaved);
  EXPECT_FALSE(form->UndoUnit.Exists());

  Run([](TDlgWaveFileProp& dialog) {
    dialog.lbSampleFreq->setCurrentRow(5);
    dialog.grpMonoStereo->SetItemIndex(1);
    dialog.grpWaveValues->SetItemIndex(1);
  });
  EXPECT_EQ(document->GetSamplesPerSec(), 176128u);
  EXPECT_EQ(document->GetChannels(), 2);
  EXPECT_EQ(document->GetBytesPerSample(), 2);
  EXPECT_EQ(document->GetValues(), 3669);  // 1000 samples at 48000 Hz last as long at 176128 Hz
  form->UndoUnit.Restore();
  EXPECT_EQ(document->GetSamplesPerSec(), 48000u);
}
