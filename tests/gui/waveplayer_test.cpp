// The player's conversions between sounds and device formats, and the commands that need no
// audio device.
#include "gui/waveplayer.h"

#include <gtest/gtest.h>

#include <QTest>
#include <cmath>
#include <cstring>
#include <vector>

#include "support/samples.h"

namespace {

DeviceFormat Format(int rate, int channels, DeviceFormat::SampleFormat sampleFormat) {
  return DeviceFormat(rate, channels, sampleFormat);
}

template <class T>
std::vector<T> Values(const QByteArray& bytes) {
  std::vector<T> values(static_cast<size_t>(bytes.size()) / sizeof(T));
  std::memcpy(values.data(), bytes.constData(), values.size() * sizeof(T));
  return values;
}

template <class T>
QByteArray Bytes(const std::vector<T>& values) {
  return QByteArray(reinterpret_cast<const char*>(values.data()),
                    static_cast<qsizetype>(values.size() * sizeof(T)));
}

}  // namespace

TEST(WavePlayerConversion, SoundsReachTheDeviceInItsChannelsAndSampleFormat) {
  bool abort = false;
  const MonoSound mono(MakeWave({1000, -2000, 32767}), 8000, 1);
  const StereoSound stereo(MakeWave({1000, -32768}), MakeWave({3000, 32767}), 8000, 2);

  EXPECT_EQ(Values<int16_t>(SoundToDevice(abort, mono, Format(8000, 2, DeviceFormat::Int16))),
            (std::vector<int16_t>{1000, 1000, -2000, -2000, 32767, 32767}));
  EXPECT_EQ(Values<int16_t>(SoundToDevice(abort, stereo, Format(8000, 1, DeviceFormat::Int16))),
            (std::vector<int16_t>{2000, 0}));
  // Channels the sound lacks stay silent; silence of unsigned bytes is 128.
  EXPECT_EQ(Values<uint8_t>(SoundToDevice(abort, stereo, Format(8000, 3, DeviceFormat::UInt8))),
            (std::vector<uint8_t>{131, 139, 128, 0, 255, 128}));
  EXPECT_EQ(SoundToDevice(abort, mono, Format(8000, 8, DeviceFormat::Int16)).size(), 3 * 8 * 2);  // the most
  EXPECT_EQ(Values<int32_t>(SoundToDevice(abort, mono, Format(8000, 1, DeviceFormat::Int32))),
            (std::vector<int32_t>{1000 * 65536, -2000 * 65536, 32767 * 65536}));
  const std::vector<float> floats =
      Values<float>(SoundToDevice(abort, stereo, Format(8000, 2, DeviceFormat::Float)));
  ASSERT_EQ(floats.size(), 4u);
  EXPECT_FLOAT_EQ(floats[2], -1.0f);
  EXPECT_NEAR(floats[3], 1.0f, 1e-4);
  EXPECT_FALSE(abort);
}

TEST(WavePlayerConversion, ARateTheDeviceLacksIsResampledKeepingTheDuration) {
  bool abort = false;
  const Samples16 ramp = Ramp(1000, 0, 20);
  const MonoSound sound(MakeWave(ramp), 11025, 1);
  const std::vector<int16_t> device =
      Values<int16_t>(SoundToDevice(abort, sound, Format(44100, 1, DeviceFormat::Int16)));
  EXPECT_NEAR(static_cast<double>(device.size()), 4000.0, 4.0);
  EXPECT_NEAR(device[2000], ramp[500], 40);
  EXPECT_TRUE(SoundToDevice(abort, MonoSound(MakeWave({}), 11025, 1),
                            Format(44100, 1, DeviceFormat::Int16))
                  .isEmpty());
}

TEST(WavePlayerConversion, CapturedBytesBecomeASoundOfTheFileFormat) {
  bool abort = false;
  // Stereo float into a mono 8-bit file: averaged, clipped at full scale, NaN silent.
  const QByteArray floats = Bytes<float>({0.5f, 0.0f, 4.0f, 4.0f, NAN, NAN, -1.0f, -1.0f});
  SoundPtr mono = DeviceToSound(abort, floats, Format(8000, 2, DeviceFormat::Float),
                                waveFileProps(1, 8000, 1));
  ASSERT_NE(mono, nullptr);
  EXPECT_EQ(std::pair(FormatOf(*mono), Channels(*mono)),
            std::pair(std::tuple(1, 8000, 1), std::vector<Samples16>{{8192, 32767, 0, -32768}}));

  // Mono bytes into a stereo file fill both channels.
  SoundPtr stereo = DeviceToSound(abort, Bytes<int16_t>({5, -7}),
                                  Format(8000, 1, DeviceFormat::Int16), waveFileProps(2, 8000, 2));
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(Channels(*stereo), (std::vector<Samples16>{{5, -7}, {5, -7}}));

  // Another capture rate is brought to the file's.
  SoundPtr resampled = DeviceToSound(abort, Bytes(std::vector<int16_t>(4410, 100)),
                                     Format(44100, 1, DeviceFormat::Int16),
                                     waveFileProps(1, 22050, 2));
  ASSERT_NE(resampled, nullptr);
  EXPECT_NEAR(resampled->GetValues() + resampled->Freq, 2205 + 22050, 2);
  EXPECT_FALSE(abort);
}

TEST(WavePlayerConversion, NothingCapturedOrAnUnusableFormatGivesAnEmptySound) {
  bool abort = false;
  // A trailing partial frame is dropped; an invalid format reads as nothing at all.
  for (const DeviceFormat& format : {DeviceFormat(), Format(8000, 0, DeviceFormat::Int16),
                                     Format(8000, 2, DeviceFormat::Unknown)}) {
    SoundPtr sound = DeviceToSound(abort, Bytes<int16_t>({1, 2, 3}), format,
                                   waveFileProps(2, 11025, 1));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(std::pair(sound->GetValues(), sound->Freq), std::pair(0, 11025));
  }
  SoundPtr partial = DeviceToSound(abort, Bytes<int16_t>({1, 2, 3}),
                                   Format(8000, 2, DeviceFormat::Int16), waveFileProps(2, 8000, 2));
  EXPECT_EQ(partial->GetValues(), 1);
}

TEST(WavePlayerCommands, ClosedPlayerRefusesAndEachNotifySettingServesOneCommand) {
  WavePlayer player;
  std::vector<std::pair<TMPNotifyValues, uint64_t>> notices;
  player.SetOnNotify([&notices](TMPNotifyValues value, uint64_t command) {
    notices.emplace_back(value, command);
  });
  player.SetNotify(true);
  EXPECT_EQ((std::pair{player.Play(), player.Error()}),
            std::pair(false, std::string(playertext::kNotOpen)));
  EXPECT_FALSE(player.StartRecording() || player.Save());
  EXPECT_EQ((std::pair{player.Resume(), player.Error()}),
            std::pair(false, std::string(playertext::kNotPaused)));
  // Notices come as messages, never from inside the command.
  EXPECT_TRUE(notices.empty());
  ASSERT_TRUE(QTest::qWaitFor([&notices] { return !notices.empty(); }, 10000));
  // It answers the first command, the Play: the later ones did not ask.
  EXPECT_EQ(notices, (std::vector<std::pair<TMPNotifyValues, uint64_t>>{{nvFailure, 1}}));
  EXPECT_EQ(player.LastCommand(), 4u);
  EXPECT_EQ(player.Mode(), mpNotReady);
}

TEST(WavePlayerTake, IsBuiltInPlaceAsFromAFreshCopyWithItsFrontCutGapsPutInAndItsEndSet) {
  struct Case {
    const char* name;
    int64_t arrived;
    int64_t lead;
    std::vector<TakeGap> gaps;
    int64_t takeEnd;
  };
  const std::vector<Case> cases = {
      {"as it came", 10, 0, {}, 10},
      {"front cut", 10, 3, {}, 7},
      {"gap first", 10, 0, {{0, 4}}, 14},
      // The stretches before the second gap move to the front, the one after it to the back.
      {"front cut and gaps", 20, 5, {{8, 2}, {12, 6}}, 23},
      {"a gap where the cut ends", 12, 4, {{4, 3}}, 11},
      {"two gaps", 10, 0, {{3, 2}, {6, 2}}, 14},
      {"front cut over two gaps", 10, 4, {{6, 1}, {8, 1}}, 8},
      {"end cut inside a gap", 20, 2, {{10, 5}}, 15},
      {"end filled", 8, 1, {{5, 2}, {8, 4}}, 13},
      {"end cut short of the front", 8, 2, {{5, 2}}, 2},
      {"nothing left", 8, 0, {{3, 1}}, 0},
  };
  for (const DeviceFormat& format :
       {DeviceFormat(44100, 2, DeviceFormat::Int16), DeviceFormat(8000, 1, DeviceFormat::UInt8)}) {
    const int frameBytes = format.bytesPerFrame();
    const char silence = format.sampleFormat() == DeviceFormat::UInt8 ? '\x80' : '\0';
    for (const Case& c : cases) {
      QByteArray take;
      for (int64_t frame = 0; frame < c.arrived; ++frame) {
        for (int b = 0; b < frameBytes; ++b) take.append(static_cast<char>(frame * 8 + b + 1));
      }
      // The same take built frame by frame into a new buffer.
      QByteArray expected;
      size_t gap = 0;
      for (int64_t frame = c.lead; frame <= c.arrived; ++frame) {
        for (; gap < c.gaps.size() && c.gaps[gap].atFrame == frame; ++gap) {
          expected.append(QByteArray(c.gaps[gap].frames * frameBytes, silence));
        }
        if (frame < c.arrived) expected.append(take.mid(frame * frameBytes, frameBytes));
      }
      expected.resize(c.takeEnd * frameBytes, silence);
      PlaceTake(take, format, c.gaps, c.lead, c.takeEnd);
      EXPECT_EQ(take.toHex(' '), expected.toHex(' ')) << c.name << ", " << frameBytes << " bytes a frame";
    }
  }
}
