#include "app/Player.h"

#include "app/wavewindow/ChildWin.h"

#include <unistd.h>

#include <QAction>
#include <filesystem>

#include "app/HourGlass.h"
#include "app/Main.h"
#include "app/TempFolder.h"
#include "foundation/assertion.h"
#include "foundation/global.h"
#include "foundation/messages.h"
#include "foundation/unit.h"
#include "gui/mediaplayer.h"
#include "gui/waveplayer.h"
#include "music/unitmuz.h"
#include "wave/unitwave.h"
#include "wave/wavefile.h"
#include "wave/waveview.h"

namespace {

constexpr const char* kAssertUnit = "Main";

SoundPtr EmptySound(const TUnitWave& unitWave) {
  const auto rate = static_cast<int32_t>(unitWave.GetSamplesPerSec());
  const auto width = static_cast<uint16_t>(unitWave.GetBytesPerSample());
  if (unitWave.GetChannels() == 2) return std::make_unique<StereoSound>(rate, width);
  return std::make_unique<MonoSound>(rate, width);
}

// A recording is made in its document's format, but the file read back may say otherwise (the
// device or another program changed it): the document gets its own format in any case.
SoundPtr InDocumentFormat(SoundPtr sound, const TUnitWave& unitWave) {
  bool abort = false;
  if (sound->MoSt != unitWave.GetChannels()) {
    if (unitWave.GetChannels() == 2) {
      sound = std::make_unique<StereoSound>(abort, *sound);
    } else {
      sound = std::make_unique<MonoSound>(abort, *sound);
    }
    if (abort) return nullptr;
  }
  const auto rate = static_cast<int32_t>(unitWave.GetSamplesPerSec());
  if (sound->Freq != rate) {
    if (sound->GetValues() == 0) {
      sound->Freq = rate;
    } else {
      sound = sound->SetFreq(abort, rate);
      if (abort || !sound) return nullptr;
    }
  }
  // In memory every sample has 16 bits: the width only says how the file stores it.
  sound->BytesPerSample = static_cast<uint16_t>(unitWave.GetBytesPerSample());
  return sound;
}

// Its window's clicks make the wave's sound while it draws: no recording may be put in meanwhile.
bool BeingDrawnIn(const TUnitWave& unitWave) {
  const WaveView* view = unitWave.GetView();
  return view != nullptr && view->UserDrawing();
}

// Someone may have removed the user's folder, or this copy's in it, meanwhile: both are made again,
// this copy's locked as at the start.
bool TempDirReady() {
  if (!TempDirOk) return false;
  if (CopyTempFolder* own = RunningCopyTempFolder()) return own->Ensure();
  const std::string filesFolder = std::filesystem::path(TempRecFile).parent_path().string();
  return MakePrivateDir(TempDir, getuid()) && MakePrivateDir(filesFolder, getuid());
}

// The recording as the player saved it to its file, read back; null when that cannot be done.
SoundPtr ReadBackRecording(MediaPlayer& player) {
  if (!TempDirReady()) return nullptr;
  player.SetWait(true);
  if (!player.Save()) return nullptr;  // the writer has said why
  SoundPtr recorded;
  std::string status;
  if (!ReadWaveFile(TempRecFile, recorded, status)) {
    const std::string text =
        std::string(msgtext::kCannotReadFile) + "\"" + TempRecFile + "\", " + status;
    ShowMessageBox(text, msgtext::kFileError, kMbOk | kMbIconInformation);
    DebugLogString(text);
    return nullptr;
  }
  return recorded;
}

// The documents the player works on are the registry's.
class RegistryPlayerDocuments : public PlayerDocuments {
 public:
  explicit RegistryPlayerDocuments(const TMainForm& form) : form_(form) {}
  uint8_t ActiveKind() const override {
    const TMDIChildKorvalen* child = form_.GetActiveMDIChild();
    return child != nullptr ? child->GetKind() : 0;
  }
  TUnitWave* ActiveUnitWave() const override { return form_.ActiveUnitWave(); }
  // The same render as Generate: what Play sounds is what Generate would make.
  SoundPtr RenderActiveMuz() override {
    TUnitMuz* music = form_.ActiveUnitMuz();
    return music != nullptr ? music->CreateWave() : nullptr;
  }

 private:
  const TMainForm& form_;
};

// A checkable action flips its check mark when triggered; here only the commands set it.
void BindPlayerCommand(TMainForm& form, QAction* action, void (PlaybackControl::*command)()) {
  QObject::connect(action, &QAction::triggered, &form, [&form, action, command](bool checked) {
    if (action->isCheckable()) action->setChecked(!checked);
    if (command == &PlaybackControl::FilePlayExecute) {
      const HourGlassTillMessage preparing(form);
      (form.Playback().*command)();
      return;
    }
    (form.Playback().*command)();
  });
}

std::unique_ptr<PlaybackControl> MakePlayback(const TMainForm& form, MediaPlayer& player,
                                              PlayerDocuments& documents) {
  const PlayerActions actions{form.Action("FilePlay"), form.Action("FileStop"),
                              form.Action("FilePause"), form.Action("FileRecord")};
  return std::make_unique<PlaybackControl>(player, actions, documents);
}

}  // namespace

// --- The main window's part ------------------------------------------------------------------------

void TMainForm::ConnectPlayback() {
  registryDocuments_ = std::make_unique<RegistryPlayerDocuments>(*this);
  playerDocuments_ = registryDocuments_.get();
  SetAudioPlayer(std::make_unique<WavePlayer>());
  BindPlayerCommand(*this, Action("FilePlay"), &PlaybackControl::FilePlayExecute);
  BindPlayerCommand(*this, Action("FileStop"), &PlaybackControl::FileStopExecute);
  BindPlayerCommand(*this, Action("FilePause"), &PlaybackControl::FilePauseExecute);
  BindPlayerCommand(*this, Action("FileRecord"), &PlaybackControl::FileRecordExecute);
}

void TMainForm::SetAudioPlayer(std::unique_ptr<MediaPlayer> player) {
  KV_ASSERT(player != nullptr);
  // The control goes first: it leaves its notification handler with the player.
  playback_.reset();
  AudioPlayer = std::move(player);
  playback_ = MakePlayback(*this, *AudioPlayer, *playerDocuments_);
}

void TMainForm::SetPlayerDocuments(PlayerDocuments& documents) {
  playerDocuments_ = &documents;
  playback_.reset();
  playback_ = MakePlayback(*this, *AudioPlayer, *playerDocuments_);
}

bool TMainForm::PlayWave(const Sound& sound, int32_t first, int32_t end) {
  const HourGlassTillMessage preparing(*this);
  return playback_->PlayWave(sound, first, end);
}

bool TMainForm::PlayWholeSound(const Sound& sound) {
  const HourGlassTillMessage preparing(*this);
  return playback_->PlayWholeSound(sound);
}

// --- The state machine -----------------------------------------------------------------------------

PlaybackControl::PlaybackControl(MediaPlayer& player, const PlayerActions& actions,
                                 PlayerDocuments& documents)
    : player_(player), actions_(actions), documents_(documents) {
  player_.SetOnNotify(
      [this](TMPNotifyValues value, uint64_t command) { AudioPlayerNotify(value, command); });
}

PlaybackControl::~PlaybackControl() { player_.SetOnNotify(nullptr); }

bool PlaybackControl::ReportPlayerFailure(const std::string& why) {
  ShowMessageBox(why, msgtext::kError, kMbOk | kMbIconWarning);
  return false;
}

void PlaybackControl::ReleasePlay() {
  actions_.FilePlay->setChecked(false);
  PlayPending = false;
  UpdateAvailability();
}

bool PlaybackControl::RefusePlay(const std::string& why) {
  ReleasePlay();
  return ReportPlayerFailure(why);
}

bool PlaybackControl::RefuseRecording(const std::string& why) {
  DropRecording();
  return ReportPlayerFailure(why);
}

// A play or recording that cannot start leaves nothing pressed, and the player closed, before the
// box shows: the notice of the failed command, which the box's own message loop may hand over,
// then finds nothing to end.
bool PlaybackControl::StartPlaying() {
  player_.SetNotify(true);
  player_.SetWait(false);
  if (player_.Play()) {
    AwaitNoticeOfLastCommand();
    return true;
  }
  const std::string why = player_.Error();
  ClosePlayer();
  return RefusePlay(why);
}

bool PlaybackControl::StartRecording() {
  player_.SetNotify(true);
  player_.SetWait(false);
  if (player_.StartRecording()) {
    AwaitNoticeOfLastCommand();
    return true;
  }
  const std::string why = player_.Error();
  ClosePlayer();
  return RefuseRecording(why);
}

// The notice a play or recording was started with comes when whatever ends it, an interruption
// included, has happened, and may come after any number of later commands (the keys queue up
// while a long play's file is written): only the notice of what runs now may end it.
void PlaybackControl::AwaitNoticeOfLastCommand() { awaitedNotice_ = player_.LastCommand(); }

void PlaybackControl::ClosePlayer() {
  player_.Close();
  awaitedNotice_ = kNoNotice;
}

// Play and Record close what the player held: a paused play is gone with it, so Pause no longer
// shows it. Pause pressed ahead of a command stays pressed.
void PlaybackControl::ReplacePlayerContent() {
  EndRecordingBeforeClose();
  ClosePlayer();
  if (!PausePressed) actions_.FilePause->setChecked(false);
}

bool PlaybackControl::PlayWave(const Sound& sound, int32_t first, int32_t end) {
  // A directory that is not the user's own must not receive the file.
  if (!TempDirReady()) return false;
  ReplacePlayerContent();
  bool abort = false;
  if (!sound.Save(abort, TempPlayFile, true, first, end)) {
    // The writer has said why; the play this one replaced is over all the same.
    ReleasePlay();
    return false;
  }
  player_.SetFileName(TempPlayFile);
  if (!player_.Open()) return RefusePlay(player_.Error());
  if (!PausePressed) {
    if (!StartPlaying()) return false;
  } else {
    PlayPending = true;
  }
  actions_.FilePlay->setChecked(true);
  UpdateAvailability();
  return true;
}

bool PlaybackControl::PlayWholeSound(const Sound& sound) {
  return PlayWave(sound, 0, sound.GetValues());
}

void PlaybackControl::FilePlayExecute() {
  switch (documents_.ActiveKind()) {
    case kUnitKindWave: {
      const TUnitWave* unitWave = documents_.ActiveUnitWave();
      if (unitWave != nullptr && unitWave->GetValues() != 0) {
        PlayWave(*unitWave->GetSound(), unitWave->GetBegin(), unitWave->GetEnd());
      }
      break;
    }
    case kUnitKindMuz: {
      // The rendered sound serves this play only.
      const SoundPtr sound = documents_.RenderActiveMuz();
      if (sound && sound->GetValues() > 0) PlayWholeSound(*sound);
      break;
    }
    default:
      break;
  }
}

void PlaybackControl::FileRecordExecute() {
  if (player_.Mode() == mpRecording) {
    FileStopExecute();
    return;
  }
  ReplacePlayerContent();
  if (PlayPending || actions_.FilePlay->isChecked()) {
    // The play just closed will not start or end any more.
    PlayPending = false;
    actions_.FilePlay->setChecked(false);
  }
  TUnitWave* unitWave = documents_.ActiveUnitWave();
  if (unitWave == nullptr || unitWave->GetValues() != 0 || BeingDrawnIn(*unitWave) ||
      !TempDirReady()) {
    UpdateAvailability();
    return;
  }
  bool abort = false;
  const SoundPtr empty = EmptySound(*unitWave);
  if (!WriteWaveFile(abort, TempRecFile, *empty, 0, 0, true)) {
    UpdateAvailability();
    return;
  }
  RecordUnitWave = unitWave;
  player_.SetFileName(TempRecFile);
  if (!player_.Open()) {
    RefuseRecording(player_.Error());
    return;
  }
  if (!PausePressed) {
    if (!StartRecording()) return;
  } else {
    RecordPending = true;
  }
  actions_.FileRecord->setChecked(true);
  UpdateAvailability();
}

void PlaybackControl::FileStopExecute() {
  // A recording runs, or is paused, once it has started; a pending one has nothing to read back.
  const bool recordingStarted = RecordUnitWave != nullptr && !RecordPending;
  PlayPending = false;
  RecordPending = false;
  PausePressed = actions_.FilePause->isChecked();
  if (!recordingStarted) {
    ClosePlayer();
    actions_.FilePlay->setChecked(false);
    if (RecordUnitWave != nullptr) DropRecording();
    UpdateAvailability();
    return;
  }
  FinishRecording();
}

bool PlaybackControl::FinishRecording() {
  KV_ASSERT(RecordUnitWave != nullptr);
  player_.Stop();
  awaitedNotice_ = kNoNotice;
  // The file is the usual road; when it cannot be written or read back (its folder cannot be
  // made again, the disk is full) the player still holds what it recorded.
  SoundPtr recorded = ReadBackRecording(player_);
  if (!recorded) recorded = player_.Recording();
  player_.Close();
  TUnitWave& unitWave = *RecordUnitWave;
  if (recorded) recorded = InDocumentFormat(std::move(recorded), unitWave);
  if (!recorded) {
    ShowMessageBox(playertext::kRecordingLost, msgtext::kError, kMbOk | kMbIconWarning);
    DropRecording();
    return false;
  }
  const SoundPtr previous = unitWave.SetSound(std::move(recorded));
  DropRecording();
  if (WaveView* view = unitWave.GetView()) view->Redraw();
  unitWave.SetModified();
  return true;
}

void PlaybackControl::DropRecording() {
  RecordUnitWave = nullptr;
  RecordPending = false;
  actions_.FileRecord->setChecked(false);
  UpdateAvailability();
}

void PlaybackControl::EndRecordingBeforeClose() {
  if (RecordUnitWave == nullptr) return;
  if (!RecordPending) {
    FinishRecording();
  } else {
    ClosePlayer();
    DropRecording();
  }
}

void PlaybackControl::EndRecordingInto(const TUnitWave* unitWave) {
  if (RecordingInto(unitWave)) EndRecordingBeforeClose();
}

void PlaybackControl::FilePauseExecute() {
  if (PlayPending) {
    actions_.FilePause->setChecked(false);
    PausePressed = false;
    PlayPending = false;
    StartPlaying();
  } else if (RecordPending) {
    actions_.FilePause->setChecked(false);
    PausePressed = false;
    RecordPending = false;
    StartRecording();
  } else if (const TMPModes mode = player_.Mode();
             mode == mpPlaying || mode == mpRecording || mode == mpPaused) {
    if (actions_.FilePause->isChecked()) {
      player_.SetNotify(true);
      player_.SetWait(false);
      if (player_.Resume()) {
        AwaitNoticeOfLastCommand();
      } else {
        ReportPlayerFailure(player_.Error());
      }
    } else {
      // The interrupted command still reports, and must not close the player; a paused play
      // that the device ends says so as the answer to this Pause.
      player_.Pause();
      AwaitNoticeOfLastCommand();
    }
    actions_.FilePause->setChecked(player_.Mode() == mpPaused);
  } else {
    PausePressed = !PausePressed;
    actions_.FilePause->setChecked(PausePressed);
  }
  UpdateAvailability();
}

void PlaybackControl::AudioPlayerNotify(TMPNotifyValues value, uint64_t command) {
  // A replaced, stopped or paused command still reports: what runs now is none of its business.
  if (command == kNoNotice || command != awaitedNotice_) return;
  const TMPModes mode = player_.Mode();
  if (mode != mpStopped && mode != mpPlaying) return;
  awaitedNotice_ = kNoNotice;
  // What ended may have been paused: nothing stays pressed for it. A Pause pressed once it had
  // ended, before its notice came, is armed for the next command and stays.
  if (!PausePressed) actions_.FilePause->setChecked(false);
  if (RecordUnitWave != nullptr && !RecordPending) {
    // The device ended the recording by itself: keep what it took.
    if (FinishRecording() && value == nvFailure) {
      ShowMessageBox(playertext::kInputGone, msgtext::kError, kMbOk | kMbIconWarning);
    }
    return;
  }
  player_.Close();
  actions_.FileStop->setEnabled(false);
  actions_.FilePlay->setChecked(false);
  UpdateAvailability();
}

void PlaybackControl::UnitWaveClosing(const TUnitWave* unitWave) {
  if (unitWave == nullptr || unitWave != RecordUnitWave) return;
  ClosePlayer();
  DropRecording();
}

void PlaybackControl::UpdateAvailability() {
  const bool playing = actions_.FilePlay->isChecked();
  const bool recording = actions_.FileRecord->isChecked();
  actions_.FileStop->setEnabled(TempDirOk && (playing || recording));
  actions_.FilePause->setEnabled(TempDirOk && (!recording || RecordPending));
  switch (documents_.ActiveKind()) {
    case kUnitKindWave: {
      const TUnitWave* unitWave = documents_.ActiveUnitWave();
      const bool hasSamples = unitWave != nullptr && unitWave->GetValues() != 0;
      actions_.FilePlay->setEnabled(TempDirOk && hasSamples);
      actions_.FileRecord->setEnabled(TempDirOk && unitWave != nullptr && !hasSamples &&
                                      !BeingDrawnIn(*unitWave));
      break;
    }
    case kUnitKindMuz:
      actions_.FilePlay->setEnabled(TempDirOk);
      break;
    default:
      break;
  }
}

bool RecordingInto(const TUnitWave* unitWave) {
  return unitWave != nullptr && unitWave == RecordUnitWave;
}

bool MainPlayWholeSound(const Sound& sound) {
  return MainForm != nullptr && MainForm->PlayWholeSound(sound);
}

void MainUnitWaveClosing(const TUnitWave* unitWave) {
  if (MainForm != nullptr) MainForm->Playback().UnitWaveClosing(unitWave);
}
