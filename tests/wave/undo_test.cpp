#include "wave/undo.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fakes/fake_main_window.h"
#include "foundation/global.h"
#include "sound_helpers.h"
#include "support/recording_sink.h"

namespace {

SoundPtr Flat(int32_t n, int16_t value = 1000) { return MonoOf(Samples16(static_cast<size_t>(n), value), 44100); }

const waveFileProps kMono16At44100(1, 44100, 2);
const waveFileProps kMono16At22050(1, 22050, 2);
const waveFileProps kMono8At44100(1, 44100, 1);
const waveFileProps kStereo16At44100(2, 44100, 2);

}  // namespace

TEST(Undo, ARateChangeScalesTheSelectionAndTwoUndosGiveBackTheStart) {
  FakeMainWindow main;
  Doc doc(Flat(4000));
  doc.unitWave.SetSelRange(1001, 3001);
  Sound* const before = doc.unitWave.GetSound();
  main.undo.Push(&doc.unitWave);
  doc.view.Clear();
  doc.unitWave.SetFormat(kMono16At44100, kMono16At22050);
  Sound* const after = doc.unitWave.GetSound();
  EXPECT_NE(after, before);
  EXPECT_EQ(std::tuple(after->Freq, after->GetValues(), doc.Selection()),
            std::tuple(22050, 2000, std::pair(500, 1500)));
  EXPECT_EQ(doc.view.calls, std::vector<std::string>{"Redraw"});

  main.undo.Restore();
  EXPECT_EQ(std::pair(doc.unitWave.GetSound(), doc.Selection()), std::pair(before, std::pair(1001, 3001)));
  EXPECT_EQ(doc.unitWave.GetState(), kUnitStateModified);  // it was saved
  main.undo.Restore();
  EXPECT_EQ(std::tuple(doc.unitWave.GetSound(), doc.unitWave.GetSelCursor(), doc.view.calls.size()),
            std::tuple(after, 1500, size_t{3}));
}

TEST(Undo, WidthAndChannelChangesLeaveTheRecordedSoundAsItWas) {
  FakeMainWindow main;
  Doc doc(Flat(100, 300));
  Sound* const before = doc.unitWave.GetSound();
  main.undo.Push(&doc.unitWave);
  doc.view.Clear();
  doc.unitWave.SetFormat(kMono16At44100, kMono8At44100);  // the width alone repaints nothing
  EXPECT_EQ(std::tuple(doc.unitWave.GetBytesPerSample(), before->BytesPerSample, doc.view.calls.empty()),
            std::tuple(1, 2, true));
  main.undo.Restore();
  EXPECT_EQ(doc.unitWave.GetBytesPerSample(), 2);

  main.undo.Push(&doc.unitWave);
  doc.view.Clear();
  doc.unitWave.SetFormat(kMono16At44100, kStereo16At44100);
  EXPECT_EQ(doc.view.calls, (std::vector<std::string>{"Icon 2", "Redraw"}));
  EXPECT_EQ(Samples(doc.unitWave.GetSound()->GetRightWave()), std::vector<int16_t>(100, 300));

  Sound* const unchanged = doc.unitWave.GetSound();
  doc.unitWave.SetFormat(kMono16At44100, waveFileProps(1, 0, 2));  // a rate of 0 is refused
  doc.unitWave.SetFormat(waveFileProps(1, 0, 2), kMono16At22050);
  EXPECT_EQ(doc.unitWave.GetSound(), unchanged);
}

TEST(Undo, AnAbandonedFormatChangeKeepsEverythingAndTheNextOneWorks) {
  FakeMainWindow main;
  RecordingSink sink;
  Doc doc(Flat(4000));
  doc.unitWave.SetSelRange(1001, 3001);
  Sound* const before = doc.unitWave.GetSound();
  main.undo.Push(&doc.unitWave);
  doc.view.Clear();
  {
    ScopedSampleBudget budget(100);
    doc.unitWave.SetFormat(kMono16At44100, waveFileProps(2, 22050, 1));
  }
  EXPECT_EQ(std::tuple(doc.unitWave.GetAbort(), sink.messages.size(), doc.unitWave.GetSound(), doc.Selection()),
            std::tuple(true, size_t{1}, before, std::pair(1001, 3001)));
  EXPECT_TRUE(before->BytesPerSample == 2 && doc.view.calls.empty());

  // Undo then only exchanges the selection; dropping the record leaves the sound alive.
  main.undo.Restore();
  EXPECT_EQ(doc.unitWave.GetSound(), before);
  main.undo.Delete();
  EXPECT_EQ(doc.Left(), Samples16(4000, 1000));

  doc.unitWave.SetFormat(kMono16At44100, kMono16At22050);  // no record: the old sound went with the change
  EXPECT_EQ(std::pair(doc.unitWave.GetAbort(), doc.unitWave.GetValues()), std::pair(false, 2000));
}

TEST(Undo, TheRecordBelongsToItsDocumentWhicheverIsActive) {
  FakeMainWindow main;
  auto a = std::make_unique<Doc>(Flat(4000));
  auto b = std::make_unique<Doc>(Flat(800));
  Sound* const soundOfB = b->unitWave.GetSound();
  main.undo.Push(&a->unitWave);
  a->unitWave.SetFormat(kMono16At44100, kMono16At22050);
  main.undo.Restore();  // while b is active
  EXPECT_EQ(a->unitWave.GetValues(), 4000);
  EXPECT_EQ(std::tuple(b->unitWave.GetSound(), b->unitWave.GetState(), b->view.calls.empty()),
            std::tuple(soundOfB, kUnitStateSaved, true));

  b.reset();  // closing b leaves a's record
  EXPECT_EQ(main.undo.GetUnitWave(), &a->unitWave);
  a.reset();  // closing a drops it, with the sound that is not a's current one
  EXPECT_EQ(std::pair(main.undo.Exists(), main.undoDropRequests.size()), std::pair(false, size_t{2}));
}

TEST(Undo, SetSoundNeverLeavesTheRecordWithASoundTheCallerOwns) {
  FakeMainWindow main;
  Doc doc(Flat(100));
  main.undo.Push(&doc.unitWave);  // the record shares the present sound
  SoundPtr previous = doc.unitWave.SetSound(Flat(50));
  EXPECT_FALSE(main.undo.Exists());
  previous.reset();

  main.undo.Push(&doc.unitWave);
  doc.unitWave.SetFormat(kMono16At44100, kMono16At22050);  // the record owns the 50 samples now
  previous = doc.unitWave.SetSound(Flat(10));
  EXPECT_TRUE(main.undo.Exists());
  previous.reset();
  main.undo.Restore();
  EXPECT_EQ(doc.unitWave.GetValues(), 50);
}

namespace {

// An operation as the document's own ones are written: it keeps the first `kept` samples of the
// edit stretch, or asks for more memory than there is.
class TrimmingWave : public TUnitWave {
 public:
  using TUnitWave::TUnitWave;
  void KeepFirst(int32_t kept, bool exhaustMemory) {
    RunOperation(true, GetBegin(), GetEnd(), [&](const Sound& sound, bool& abort, int32_t& begin, int32_t& end) {
      ScopedSampleBudget budget(exhaustMemory ? 0 : -1);
      end = begin + kept;
      return SoundPtr(std::make_unique<MonoSound>(sound.GetLeftWave()->Trim(abort, 0, end), sound.Freq, 2));
    });
  }
};

}  // namespace

TEST(Undo, OperationsKeepOrDiscardTheirResultByTheAbortFlagAndClearItFirst) {
  FakeMainWindow main;
  RecordingSink sink;
  RecordingView view;
  TrimmingWave unitWave("a.wav", Flat(1000));
  unitWave.SetView(&view);
  unitWave.SetSelRange(100, 600);
  Sound* const before = unitWave.GetSound();
  main.undo.Push(&unitWave);
  view.Clear();
  unitWave.KeepFirst(50, true);
  EXPECT_EQ(std::pair(unitWave.GetAbort(), unitWave.GetSound()), std::pair(true, before));
  EXPECT_EQ(view.calls.front() + ", " + view.calls.back(), "SaveZoom 100 600, Redraw");

  main.undo.Push(&unitWave);
  view.Clear();
  unitWave.KeepFirst(50, false);
  EXPECT_EQ(std::tuple(unitWave.GetAbort(), unitWave.GetValues(), unitWave.GetSelBegin(), unitWave.GetSelEnd()),
            std::tuple(false, 150, 100, 150));
  EXPECT_EQ(view.calls[1], "RestoreZoom 100 150");
  main.undo.Restore();
  EXPECT_EQ(unitWave.GetSound(), before);
}
