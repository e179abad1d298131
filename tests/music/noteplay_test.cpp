#include "music/noteplay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/assertion.h"

namespace {

std::unique_ptr<TOnePlayer> NewPlayer(TCompoundPlayer* owner) {
  return std::make_unique<TOnePlayer>(owner, unitVolumeFactor(0.5, kUnitPercent), unitFreq(0, kUnitKiloHertz));
}

TOnePlayer* Insert(TCompoundPlayer& compound, TOnePlayer* after) {
  auto owned = NewPlayer(&compound);
  TOnePlayer* player = owned.get();
  compound.InsertAfter(after, std::move(owned));
  return player;
}

std::vector<TOnePlayer*> Chain(const TCompoundPlayer& compound) {
  std::vector<TOnePlayer*> players;
  for (TOnePlayer* p = compound.GetStartOnePlayer(); p != nullptr; p = p->GetNext()) players.push_back(p);
  return players;
}

}  // namespace

TEST(OnePlayer, StartsWithoutKindAndSwitchingKindsKeepsEveryKindsSettings) {
  TOnePlayer player(nullptr, unitVolumeFactor(0.25, kUnitDecibel), unitFreq(3, kUnitHertz));
  EXPECT_EQ(player.GetNotePlayerKind(), notePlayerNoKind);
  EXPECT_THROW(player.GetSimpleSampler(), AssertionFailure);
  TSimpleSamplerProps simple;
  simple.SampleWave.SetName("flute");
  simple.BasicFreq.SetValue(0.002);
  ASSERT_TRUE(player.SetSimpleSampler(simple));
  TResonantSamplerProps resonant;
  resonant.SampleWave.SetName("drum");
  resonant.ResFactor.SetValue(0.5);
  ASSERT_TRUE(player.SetResonantSampler(resonant));
  EXPECT_EQ(player.GetNotePlayerKind(), notePlayerResonantSampler);
  EXPECT_THROW(player.GetSimpleSampler(), AssertionFailure);
  EXPECT_EQ(player.GetResonantSampler().SampleWave.GetName(), "drum");

  // Refused settings leave kind and settings alone.
  TSimpleSamplerProps silent;
  silent.BasicFreq.SetValue(0);
  TRollOutSamplerProps negative;
  negative.BasicFreq.SetValue(-1);
  EXPECT_FALSE(player.SetSimpleSampler(silent));
  EXPECT_FALSE(player.SetRollOutSampler(negative));
  for (double width : {1.5, -0.1, double(NAN)}) {
    TResonantSamplerProps refused;
    refused.ResFactor.SetValue(width);
    EXPECT_FALSE(player.SetResonantSampler(refused)) << width;
  }
  EXPECT_EQ(player.GetNotePlayerKind(), notePlayerResonantSampler);
  EXPECT_EQ(player.GetResonantSampler().ResFactor.GetValue(), 0.5);

  ASSERT_TRUE(player.SetRepeatWaveForm(TRepeatWaveFormProps()));
  ASSERT_TRUE(player.SetRollOutWaveForm(TRollOutWaveFormProps()));
  ASSERT_TRUE(player.SetRollOutSampler(TRollOutSamplerProps()));
  EXPECT_EQ(player.GetRollOutSampler().BasicFreq.GetValue(), 1.0 / 440);
  ASSERT_TRUE(player.SetSimpleSampler(player.GetOnePlayerProps().SimpleSampler));
  EXPECT_EQ(player.GetSimpleSampler().SampleWave.GetName(), "flute");
  EXPECT_EQ(player.GetSimpleSampler().BasicFreq.GetValue(), 0.002);
  EXPECT_EQ(player.GetOnePlayerProps().ResonantSampler.SampleWave.GetName(), "drum");
}

TEST(CompoundPlayer, ChainInsertDeleteAndPrevious) {
  TCompoundPlayer compound(nullptr);
  TOnePlayer* a = Insert(compound, nullptr);
  TOnePlayer* b = Insert(compound, a);
  EXPECT_EQ(Chain(compound), (std::vector<TOnePlayer*>{a, b}));
  TOnePlayer* front = Insert(compound, nullptr);
  TOnePlayer* back = Insert(compound, b);
  EXPECT_EQ(Chain(compound), (std::vector<TOnePlayer*>{front, a, b, back}));
  EXPECT_EQ(compound.GetPrevious(front), nullptr);
  EXPECT_EQ(compound.GetPrevious(back), b);

  TOnePlayer stranger(nullptr, unitVolumeFactor(1, kUnitNone), unitFreq(0, kUnitHertz));
  EXPECT_THROW(compound.InsertAfter(&stranger, NewPlayer(&compound)), AssertionFailure);
  EXPECT_THROW(compound.Delete(&stranger), AssertionFailure);

  for (TOnePlayer* doomed : {b, front, back}) EXPECT_EQ(compound.Delete(doomed).get(), doomed);
  EXPECT_EQ(Chain(compound), (std::vector<TOnePlayer*>{a}));
  EXPECT_THROW(compound.Delete(a), AssertionFailure);  // the last player stays
}

TEST(CompoundPlayer, AnEmptyChainCanBeDroppedAndGroupsOwnTheirPlayer) {
  { TCompoundPlayer empty(nullptr); EXPECT_THROW(empty.GetPrevious(nullptr), AssertionFailure); }
  auto compound = std::make_unique<TCompoundPlayer>(nullptr);
  Insert(*compound, nullptr);
  TCompoundPlayer* player = compound.get();
  TNoteGroup group(nullptr, std::move(compound), 0x00FF0000, noteShapeRectangle, 1);
  EXPECT_EQ(group.GetCompoundPlayer(), player);
}
