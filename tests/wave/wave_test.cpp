#include "wave/wave.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/global.h"
#include "support/recording_sink.h"
#include "support/samples.h"

TEST(Wave, SinusTableUsesTheEnginesPi) {
  bool abort = false;
  CreateSinusTable(abort);
  ASSERT_FALSE(abort);
  ASSERT_NE(sinus, nullptr);
  EXPECT_EQ(sinus->values, 9000);
  EXPECT_EQ(At(Samples(sinus), {0, 2250, 4500}), (Samples16{0, 32766, 2}));
  EXPECT_LT(sinus->wave[6750], -32760);
  DeleteSinusTable();
  EXPECT_EQ(sinus, nullptr);
  DeleteSinusTable();  // a missing table is allowed
}

TEST(Wave, RangeHelpersFindThePeakAndCopyClearAndAddOnlyWithinTheirRange) {
  bool abort = false;
  WavePtr w = MakeWave({1, -32768, 300, 7});
  EXPECT_EQ(w->MaxValue(abort, 0, 4), 32768);
  EXPECT_EQ(w->MaxValue(abort, 2, 4), 300);
  EXPECT_EQ(w->MaxValue(abort, 2, 2), 0);

  WavePtr target = MakeWave({9, 9, 9, 9});
  target->CopyFrom(abort, w.get(), 1, 1, 0);  // empty range copies nothing
  EXPECT_EQ(Samples(target), (std::vector<int16_t>{9, 9, 9, 9}));
  target->CopyFrom(abort, w.get(), 2, 4, 1);
  EXPECT_EQ(Samples(target), (std::vector<int16_t>{9, 300, 7, 9}));
  target->CopyFrom(abort, nullptr, 0, 4, 0);
  target->Clear(abort, 0, 2);
  EXPECT_EQ(Samples(target), (std::vector<int16_t>{0, 0, 7, 9}));

  WavePtr a = MakeWave({20000, 5});
  WavePtr b = MakeWave({20000, -10});
  a->AddFrom(abort, b.get(), 0, 2, 0);
  EXPECT_EQ(Samples(a), (Samples16{40000 - 65536, -5}));
  EXPECT_FALSE(abort);


  abort = true;
  EXPECT_EQ(w->MaxValue(abort, 0, 4), 0);
}

TEST(Wave, OutOfMemoryShowsOneMessageAndStopsLaterAllocations) {
  RecordingSink sink;
  ScopedSampleBudget budget(SampleBytesInUse() + 2000);
  bool abort = false;
  WavePtr fits = NewWaveChecked(abort, 1000);
  ASSERT_NE(fits, nullptr);
  EXPECT_EQ(NewWaveChecked(abort, 1000), nullptr);
  EXPECT_TRUE(abort);
  const RecordedMessage noMemory{"There is not enough memmory for this operation.", "System Error", kMbIconInformation};
  EXPECT_EQ(sink.messages, std::vector<RecordedMessage>{noMemory});

  fits.reset();  // room again, but the raised flag refuses every later checked allocation
  EXPECT_EQ(NewWaveChecked(abort, 10), nullptr);
  WavePtr source = NewWave();
  EXPECT_EQ(CopyWaveChecked(abort, source.get()), nullptr);
  EXPECT_EQ(sink.messages, std::vector<RecordedMessage>{noMemory});

  bool other = false;
  EXPECT_EQ(NewWaveChecked(other, -1), nullptr);  // a negative count is a failed allocation
  EXPECT_TRUE(other);
  other = false;
  EXPECT_EQ(NewWaveChecked(other, int64_t{1} << 33), nullptr);  // beyond what a wave holds
  EXPECT_TRUE(other);
}

TEST(Wave, SinusTableFailureIsReported) {
  RecordingSink sink;
  ScopedSampleBudget budget(SampleBytesInUse());
  bool abort = false;
  CreateSinusTable(abort);
  EXPECT_TRUE(abort);
  EXPECT_EQ(sinus, nullptr);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1], (RecordedMessage{"Could not create sinus.", "System Error", kMbIconStop}));
}

TEST(Wave, ToSampleTruncatesAndWraps) {
  Samples16 converted;
  for (const double x : {1.9, -1.9, 32768.0, 65537.5, std::nan(""), 1e12}) converted.push_back(ToSample(x));
  EXPECT_EQ(converted, (Samples16{1, -1, -32768, 1, 0, 0}));
  EXPECT_EQ(WrapAdd(32767, 1), -32768);
}
