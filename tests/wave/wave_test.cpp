#include "wave/wave.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/assertion.h"
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

  EXPECT_THROW(target->CopyFrom(abort, w.get(), 0, 4, 1), AssertionFailure);
  EXPECT_THROW(w->MaxValue(abort, 3, 2), AssertionFailure);

  abort = true;
  EXPECT_EQ(w->MaxValue(abort, 0, 4), 0);
}

TEST(Wave, CopiesAreIndependentAndEmptyWavesHaveNoBuffer) {
  bool abort = false;
  WavePtr w = MakeWave(std::vector<int16_t>(2500, 3));
  WavePtr copy = CopyWaveChecked(abort, w.get());
  w->wave[2499] = 4;
  EXPECT_EQ(Samples(copy), Samples16(2500, 3));

  WavePtr empty = NewWaveChecked(abort, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->wave, nullptr);
  WavePtr emptyCopy = CopyWaveChecked(abort, empty.get());
  EXPECT_TRUE(emptyCopy != nullptr && emptyCopy->wave == nullptr && emptyCopy->values == 0);

  EXPECT_EQ(CopyWaveChecked(abort, nullptr), nullptr);
  EXPECT_FALSE(abort);
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

TEST(Wave, MakeResultKeepsTheSamplesAroundTheSelection) {
  bool abort = false;
  WavePtr w = MakeWave({1, 2, 3, 4, 5});
  int32_t end = -1;
  w->CheckRange(1, end);
  EXPECT_EQ(end, 5);
  const Samples16 grown = Samples(w->MakeResult(abort, 1, 3, 4));
  ASSERT_EQ(grown.size(), 7u);
  EXPECT_EQ(At(grown, {0, 5, 6}), (Samples16{1, 4, 5}));
  WavePtr removed = w->MakeResult(abort, 1, 3, 0);
  EXPECT_EQ(Samples(removed), (std::vector<int16_t>{1, 4, 5}));
  int32_t bad = 6;
  EXPECT_THROW(w->CheckRange(0, bad), AssertionFailure);
  int32_t same = 2;
  EXPECT_THROW(w->CheckRange(2, same, true), AssertionFailure);
}

TEST(Wave, EnvelopeIsStretchedWithLinearInterpolation) {
  WavePtr env = MakeWave({0, 100, 300});
  EnvelopeReader reader(env.get(), 5);  // step (3 - 1) / (5 - 1) = 0.5
  const long double expected[] = {0, 50, 100, 200, 300};
  for (long double e : expected) EXPECT_DOUBLE_EQ(static_cast<double>(reader.Next()), static_cast<double>(e));
  EXPECT_EQ(reader.At(10), 300);

  EnvelopeReader single(env.get(), 1);
  EXPECT_EQ(single.Next(), 0);
  WavePtr empty = NewWave();
  EnvelopeReader none(empty.get(), 10);
  EXPECT_EQ(none.Next(), 0);
  EnvelopeReader missing(nullptr, 10);
  EXPECT_EQ(missing.At(3), 0);
}

TEST(Wave, ToSampleTruncatesAndWraps) {
  Samples16 converted;
  for (const double x : {1.9, -1.9, 32768.0, 65537.5, std::nan(""), 1e12}) converted.push_back(ToSample(x));
  EXPECT_EQ(converted, (Samples16{1, -1, -32768, 1, 0, 0}));
  EXPECT_EQ(WrapAdd(32767, 1), -32768);
}
