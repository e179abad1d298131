// The random echo: the whole sound of a document becomes a mix of copies of itself, each changed
// by the dice in volume, length, tempo, pitch and direction and placed at a random time.
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

#include "foundation/global.h"
#include "wave/dicer.h"
#include "wave/sound.h"
#include "wave/unitwave.h"

namespace {

// Volume and balance kinds: 0 no change, 1 linear, 2 random envelope.
constexpr uint8_t kLinear = 1;
constexpr uint8_t kRandomEnvelope = 2;
// Time, length, pitch and tempo offer no linear choice: 1 is their random envelope (time 0 is
// linear, the others 0 no change).
constexpr uint8_t kOnlyEnvelope = 1;
// The balance's volume difference: 1 by volume, 2 by filter.
constexpr uint8_t kBalanceByVolume = 1;
constexpr uint8_t kBalanceByFilter = 2;
// Room for the balance's time difference between the ears, in seconds.
constexpr double kBalanceRoom = 1.0 / 3400;

// The record's die of a property. The dialog offers only the six, so another number counts as the
// nearest die instead of reaching the dice's guard.
int32_t DieOf(int32_t source) {
  if (source < 0) return 0;
  return source < Dicer::DICES ? source : Dicer::DICES - 1;
}

// One varied property: its kind, its die and, when the kind reads one, its envelope's sound,
// fetched once for all copies.
struct Property {
  Property(uint8_t kind, uint8_t envelopeKind, const unitUnitWave& envelope, int32_t source)
      : kind(kind), die(DieOf(source)), envelope(kind == envelopeKind ? envelope.GetSound() : nullptr) {}

  // The die's fraction placed between b and a.
  double Linear(const Dicer& dice, double a, double b) const { return dice.Value(die, a, b); }
  // The envelope at the place the die picks, 32767 giving a and -32768 giving b. A document that
  // is no longer open reads as silence, as an empty envelope does.
  double Envelope(bool& abort, const Dicer& dice, double a, double b) const {
    if (envelope == nullptr) return MapLinear(0, -32768, 32767, b, a);
    return envelope->GetValueAt(abort, dice.Fraction(die), a, b);
  }

  uint8_t kind;
  int32_t die;
  const Sound* envelope;
};

// The copy being changed: the source itself until the first change, then a sound of its own.
class CopyInHand {
 public:
  explicit CopyInHand(const Sound& source) : sound_(&source) {}
  const Sound& operator*() const { return *sound_; }
  const Sound* operator->() const { return sound_; }
  // Takes the copy's next form; false when it could not be made.
  bool Replace(SoundPtr next) {
    if (!next) return false;
    owned_ = std::move(next);
    sound_ = owned_.get();
    return true;
  }

 private:
  const Sound* sound_;
  SoundPtr owned_;
};

// The first sample at or after a real start, kept within the echo: a start before it (the
// balance's room taken from a time difference below one sample) is its first sample, one beyond
// it (the dice's overshoot) its last.
int32_t StartIn(double t, int32_t values) {
  if (!(t >= 1)) return 0;
  if (t >= values - 1) return values - 1;
  return static_cast<int32_t>(t);
}

class RandomEcho {
 public:
  RandomEcho(bool& abort, const Sound& source, const TRandomEchoProps& props)
      : abort_(abort),
        source_(source),
        rate_(source.Freq),
        count_(props.Count.GetValue()),
        cyclable_(props.Cyclable),
        freqFactor_(props.FreqFactor.GetValue()),
        blockSize_(props.BlockSize.GetValue()),
        quality_(props.Quality),
        balanceTimeDiff_(props.BalTimeDiff),
        balanceVolumeDiff_(props.BalVolume == kBalanceByVolume),
        balanceFilterDiff_(props.BalVolume == kBalanceByFilter),
        time_(props.TimeKind, kOnlyEnvelope, props.TimeEnvelope, props.TimeSource),
        volume_(props.VolumeKind, kRandomEnvelope, props.VolumeEnvelope, props.VolumeSource),
        length_(props.LengthKind, kOnlyEnvelope, props.LengthEnvelope, props.LengthSource),
        balance_(props.BalKind, kRandomEnvelope, props.BalEnvelope, props.BalSource),
        pitch_(props.PitchKind, kOnlyEnvelope, props.PitchEnvelope, props.PitchSource),
        tempo_(props.TempoKind, kOnlyEnvelope, props.TempoEnvelope, props.TempoSource),
        dice_(props.RandomSeed.GetValue()) {
    const double d = rate_ * props.TimeDiff.GetValue();
    difference_ = d >= 0 ? d : 0;
  }

  // The mix of all copies, or null when it could not be made.
  SoundPtr Make() {
    if (rate_ <= 0) return nullptr;  // no time to place copies in
    if (!MakeSilentEcho()) return nullptr;
    // Below the echo's length, which fits a channel.
    const int64_t latestStart = static_cast<int64_t>(difference_);
    for (int32_t k = 0; k < count_ && !abort_; ++k) {
      // Every copy throws all dice, so the k-th copy's dice depend only on the seed and k.
      dice_.Throw();
      int64_t p = latestStart;
      CopyInHand copy(source_);
      if (copy->GetValues() != 0 && Vary(copy, p)) Place(*copy, p);
    }
    if (abort_) return nullptr;
    return std::move(echo_);
  }

 private:
  bool Balanced() const { return balance_.kind == kLinear || balance_.kind == kRandomEnvelope; }

  // The silence the copies are added into: one time difference long for a loop, else room for the
  // whole sound starting as late as the time difference allows.
  bool MakeSilentEcho() {
    SoundPtr empty;
    if (source_.MoSt == 1 && !Balanced()) {
      empty = std::make_unique<MonoSound>(rate_, source_.BytesPerSample);
    } else {
      empty = std::make_unique<StereoSound>(rate_, source_.BytesPerSample);
    }
    const double length = cyclable_ ? std::trunc(difference_ + 1)
                                    : std::trunc(source_.GetValues() + difference_ + 1 + rate_ * kBalanceRoom);
    int32_t begin = 0;
    int32_t end = 0;
    echo_ = empty->Silence(abort_, (length + 1) / rate_, begin, end);
    return echo_ != nullptr && !abort_ && echo_->GetValues() > 0;
  }

  // Changes the copy by the dice; p, its latest start, moves with its end. False when the copy
  // vanished (it is then left out) or could not be made.
  bool Vary(CopyInHand& copy, int64_t& p) {
    if (volume_.kind == kLinear || volume_.kind == kRandomEnvelope) {
      const double factor =
          volume_.kind == kLinear ? volume_.Linear(dice_, 1.0, 0.0) : volume_.Envelope(abort_, dice_, 1.0, -1.0);
      if (!copy.Replace(copy->Volume(abort_, factor, 0, -1))) return false;
    }
    if (length_.kind == kOnlyEnvelope) {
      const double factor = length_.Envelope(abort_, dice_, 1.0, -1.0);
      const int32_t old = copy->GetValues();
      if (!copy.Replace(copy->Resample(abort_, factor))) return false;
      p += old - copy->GetValues();
      if (copy->GetValues() == 0) return false;
    }
    if (tempo_.kind == kOnlyEnvelope || pitch_.kind == kOnlyEnvelope) {
      const double s = tempo_.kind == kOnlyEnvelope ? tempo_.Envelope(abort_, dice_, 1.0, -1.0) : 1.0;
      const double q = pitch_.kind == kOnlyEnvelope ? pitch_.Envelope(abort_, dice_, 1.0, -1.0) * freqFactor_ : 1.0;
      if (s == 0) return false;  // no tempo: the copy vanishes
      const int32_t old = copy->GetValues();
      if (!copy.Replace(copy->TempoPitchAll(abort_, 1 / s, 0.0, std::fabs(s), q, blockSize_, quality_))) return false;
      p += old - copy->GetValues();
      if (copy->GetValues() == 0) return false;
    }
    if (Balanced()) {
      const double direction = balance_.kind == kLinear ? balance_.Linear(dice_, 1.0, -1.0)
                                                        : balance_.Envelope(abort_, dice_, 1.0, -1.0);
      // The balance places one channel: a stereo copy is mixed down first.
      const auto* mono = dynamic_cast<const MonoSound*>(&*copy);
      if (mono == nullptr) {
        if (!copy.Replace(std::make_unique<MonoSound>(abort_, *copy)) || abort_) return false;
        mono = static_cast<const MonoSound*>(&*copy);
      }
      if (!copy.Replace(mono->Balance(abort_, direction, balanceTimeDiff_, balanceVolumeDiff_, balanceFilterDiff_)))
        return false;
      p = static_cast<int64_t>(std::trunc(static_cast<double>(p) - rate_ * kBalanceRoom));
    }
    return !abort_;
  }

  void Place(const Sound& copy, int64_t p) {
    const double limit = cyclable_ ? difference_ : static_cast<double>(p);
    const double t = time_.kind == kOnlyEnvelope ? time_.Envelope(abort_, dice_, limit, 0.0)
                                                 : time_.Linear(dice_, limit, 0.0);
    const int32_t start = StartIn(t, echo_->GetValues());
    if (cyclable_) {
      echo_->MixCycleAfterThis(abort_, &copy, start);  // what passes the end wraps to the start
    } else {
      echo_->OverlayAt(abort_, &copy, start);
    }
  }

  bool& abort_;
  const Sound& source_;
  const int32_t rate_;
  const int32_t count_;
  const bool cyclable_;
  const double freqFactor_;
  const double blockSize_;
  const uint8_t quality_;
  const bool balanceTimeDiff_;
  const bool balanceVolumeDiff_;
  const bool balanceFilterDiff_;
  const Property time_;
  const Property volume_;
  const Property length_;
  const Property balance_;
  const Property pitch_;
  const Property tempo_;
  Dicer dice_;
  double difference_ = 0;  // the time difference in samples
  SoundPtr echo_;
};

}  // namespace

void TUnitWave::RndEcho(const TRandomEchoProps& props) {
  BeginOperation();
  Props.RandomEcho = props;
  // The whole sound is the source: no selection, and the result is put in place as a whole.
  AdoptResult(RandomEcho(Abort, *TheSound, props).Make());
  SetCursor(0);
  Redraw();
}
