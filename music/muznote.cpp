#include "music/muznote.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "foundation/assertion.h"
#include "foundation/global.h"
#include "music/PartMuz.h"
#include "music/noteplay.h"
#include "music/stave.h"

namespace {
constexpr const char* kAssertUnit = "muznote";

// Pixels around a stave's centre line within which a key or a rest is hit.
constexpr int32_t kCentreLineReach = 15;
// Pixels per step of height.
constexpr int32_t kStepPixels = 5;

// A distance between two pixel positions, clamped: a far-off click must not overflow.
int32_t PixelDistance(int64_t a, int64_t b) {
  const int64_t distance = std::llabs(a - b);
  return static_cast<int32_t>(std::min<int64_t>(distance, std::numeric_limits<int32_t>::max()));
}

// Where a kind stands among the symbols at one position.
constexpr int32_t kKeyOrder = 1;
constexpr int32_t kTimeSymbolOrder = 6;
}  // namespace

void TXTouchMuzSymbol::ExtendXRange(int32_t x) {
  if (!XRangeSet) {
    LeftX = RightX = x;
    XRangeSet = true;
    return;
  }
  if (x < LeftX) LeftX = x;
  if (x > RightX) RightX = x;
}

int32_t TXTouchMuzSymbol::GetXDistance(int32_t x) const {
  if (!XRangeSet) return std::numeric_limits<int32_t>::max();
  if (x < LeftX) return PixelDistance(LeftX, x);
  if (x > RightX) return PixelDistance(x, RightX);
  return 0;
}

bool TXTouchMuzSymbol::IsLeftOfCentre(int32_t x) const { return x < (static_cast<int64_t>(LeftX) + RightX) / 2; }

// Bars

bool TMuzBar::IsValid(int32_t length, int32_t count, int32_t countFirstBar) {
  return IsNoteLengthKind(length) && count >= 1 && countFirstBar >= 0 && countFirstBar < count;
}

TMuzBar::TMuzBar(TSinglePartMuz* singlePartMuz, int8_t length, int32_t count, int32_t countFirstBar)
    : Length(length), Count(count), CountFirstBar(countFirstBar), SinglePartMuz(singlePartMuz) {
  KV_ASSERT(singlePartMuz != NULL);
  KV_ASSERT(IsValid(length, count, countFirstBar));
  singlePartMuz->SetMuzBar(this);
}

void TMuzBar::Dump() const {
  DebugLog("TMuzBar:");
  DebugLogPointer(this);
}

double TMuzBar::GetFirstBarLength() const { return static_cast<double>(CountFirstBar) / Length; }

double TMuzBar::GetNextBarTime(double t) const {
  const double bar = static_cast<double>(Count) / Length;
  const double first = GetFirstBarLength();
  const double x = t - (first - bar);
  return (std::trunc(x / bar) + 1) * bar + (first - bar);
}

int32_t TMuzBar::StepFirstBarForward() {
  const int32_t carry = (CountFirstBar + 1) / Count;
  CountFirstBar = (CountFirstBar + 1) % Count;
  return carry;
}

int32_t TMuzBar::StepFirstBarBack() {
  // A file's bar may count up to the largest 32-bit number, so the sum is taken in 64 bits.
  const int64_t back = int64_t{CountFirstBar} + Count - 1;
  CountFirstBar = static_cast<int32_t>(back % Count);
  return static_cast<int32_t>(back / Count);
}

// Stave symbols

TStaveSymbol::TStaveSymbol(TSinglePartMuz* singlePartMuz, double position, TNoteStave* noteStave)
    : NoteStave(noteStave), Position(position), SinglePartMuz(singlePartMuz) {}

TKey* TStaveSymbol::AsKey() { return GetStaveSymbolKind() == staveSymbolKey ? static_cast<TKey*>(this) : nullptr; }

TStaveTimeSymbol* TStaveSymbol::AsTimeSymbol() {
  return GetStaveSymbolKind() == staveSymbolKey ? nullptr : static_cast<TStaveTimeSymbol*>(this);
}

TMuzNote* TStaveSymbol::AsNote() {
  return GetStaveSymbolKind() == staveSymbolNote ? static_cast<TMuzNote*>(this) : nullptr;
}

int32_t TStaveSymbol::GetCentreLineDistance(int32_t y) const {
  KV_ASSERT(NoteStave != NULL);
  const int32_t distance = PixelDistance(y, NoteStave->GetCentreY());
  return distance < kCentreLineReach ? 0 : distance - kCentreLineReach;
}

TMuzNote* TStaveSymbol::GetFirstNoteFrom() {
  for (TStaveSymbol* symbol = this; symbol != nullptr; symbol = symbol->Next)
    if (TMuzNote* note = symbol->AsNote()) return note;
  return nullptr;
}

TKey* TStaveSymbol::FindKeyBefore(const TNoteStave* noteStave) {
  for (TStaveSymbol* symbol = this; symbol != nullptr; symbol = symbol->Prev) {
    TKey* key = symbol->AsKey();
    if (key != nullptr && key->NoteStave == noteStave) return key;
  }
  return nullptr;
}

int TStaveSymbol::CompareRank(TStaveSymbol* a, TStaveSymbol* b) {
  if (a->Position != b->Position) return a->Position < b->Position ? -1 : 1;
  const TKey* keyA = a->AsKey();
  const TKey* keyB = b->AsKey();
  const int32_t kindA = keyA != nullptr ? kKeyOrder : kTimeSymbolOrder;
  const int32_t kindB = keyB != nullptr ? kKeyOrder : kTimeSymbolOrder;
  if (kindA != kindB) return kindA < kindB ? -1 : 1;
  const auto subOrder = [](TStaveSymbol* symbol, const TKey* key) {
    return key != nullptr ? 2 * static_cast<int64_t>(key->GetKeyOrder()) : symbol->AsTimeSymbol()->GetPosInOol();
  };
  const int64_t subA = subOrder(a, keyA);
  const int64_t subB = subOrder(b, keyB);
  if (subA != subB) return subA < subB ? -1 : 1;
  return 0;
}

bool TStaveSymbol::IsPrevOf(TStaveSymbol* a, TStaveSymbol* b) {
  const int rank = CompareRank(a, b);
  if (rank != 0) return rank < 0;
  const TMuzNote* noteA = a->AsNote();
  const TMuzNote* noteB = b->AsNote();
  return noteA != nullptr && noteB != nullptr && noteA->GetPitch() > noteB->GetPitch();
}

template <typename Doomed>
TStaveSymbol* TStaveSymbol::RemoveWhere(Doomed doomed) {
  // `this` may be deleted on the way: nothing below touches a member after the loop starts.
  TStaveSymbol* firstRemaining = nullptr;
  TStaveSymbol* symbol = this;
  while (symbol != nullptr) {
    TStaveSymbol* next = symbol->Next;
    if (doomed(symbol)) {
      if (symbol->Prev != nullptr) symbol->Prev->SetNext(next);
      if (next != nullptr) next->SetPrev(symbol->Prev);
      delete symbol;
    } else if (firstRemaining == nullptr) {
      firstRemaining = symbol;
    }
    symbol = next;
  }
  return firstRemaining;
}

TStaveSymbol* TStaveSymbol::RemoveStaveSymbols(const TNoteStave* noteStave) {
  return RemoveWhere([noteStave](TStaveSymbol* symbol) { return symbol->NoteStave == noteStave; });
}

TStaveSymbol* TStaveSymbol::RemoveNoteGroupNotes(const TNoteGroup* noteGroup) {
  return RemoveWhere([noteGroup](TStaveSymbol* symbol) {
    const TMuzNote* note = symbol->AsNote();
    return note != nullptr && note->GetNoteGroup() == noteGroup;
  });
}

// Time symbols

bool TStaveTimeSymbol::IsValidTime(int32_t noteLengthKind, int32_t points, int32_t multiOol, int32_t posInOol) {
  if (!IsNoteLengthKind(noteLengthKind) || multiOol < sool || multiOol > kwintool) return false;
  if (posInOol < 0 || posInOol >= multiOol) return false;
  const int32_t leastPoints = (multiOol == duool || multiOol == kwartool) ? 1 : 0;
  const int32_t longestKind = multiOol == kwintool ? 16 : multiOol == sool ? 64 : 32;
  return points >= leastPoints && points <= 3 && noteLengthKind <= longestKind;
}

TStaveTimeSymbol::TStaveTimeSymbol(double position, TNoteStave* noteStave, int8_t noteLengthKind, int32_t points,
                                   int8_t multiOol, int32_t posInOol, TSinglePartMuz* singlePartMuz)
    : TStaveSymbol(singlePartMuz, position, noteStave),
      NoteLengthKind(noteLengthKind),
      Points(points),
      MultiOol(multiOol),
      PosInOol(posInOol) {
  // The lengths divide by the kind and by the tuplet: the builders check both first.
  KV_ASSERT(IsNoteLengthKind(noteLengthKind));
  KV_ASSERT(points >= 0 && points <= 3);
  KV_ASSERT(multiOol >= sool && multiOol <= kwintool);
  KV_ASSERT(posInOol >= 0);
  KV_ASSERT(posInOol < (int)multiOol);
}

double TStaveTimeSymbol::GetLength() const { return NoteValue(NoteLengthKind, Points); }

double TStaveTimeSymbol::GetTime() const { return GetSymbolPosition() + PosInOol * GetLength() / MultiOol; }

bool TStaveTimeSymbol::FlagLength2TotalLength(int32_t flagLength, int32_t& totalLength) const {
  int32_t divisor = 1;
  if (MultiOol == duool || MultiOol == triool || MultiOol == kwartool) divisor = 2;
  if (MultiOol == kwintool) divisor = 4;
  if (flagLength < divisor) return false;
  totalLength = flagLength / divisor;
  return true;
}

bool TStaveTimeSymbol::MayTotalPoints(int32_t points) const {
  const int32_t least = (MultiOol == duool || MultiOol == kwartool) ? 1 : 0;
  return points >= least && points <= 3;
}

bool TStaveTimeSymbol::SharesPlaceWith(TStaveSymbol* other, bool samePosInOol) const {
  const TStaveTimeSymbol* timeSymbol = other->AsTimeSymbol();
  return timeSymbol != nullptr && timeSymbol->GetNoteStave() == GetNoteStave() &&
         (!samePosInOol || timeSymbol->PosInOol == PosInOol);
}

TStaveTimeSymbol* TStaveTimeSymbol::WalkAtPosition(bool forward, bool samePosInOol) {
  // Symbols of other staves and keys may stand between the members at one position.
  for (TStaveSymbol* symbol = forward ? GetNext() : GetPrev();
       symbol != nullptr && symbol->GetSymbolPosition() == GetSymbolPosition();
       symbol = forward ? symbol->GetNext() : symbol->GetPrev()) {
    if (SharesPlaceWith(symbol, samePosInOol)) return symbol->AsTimeSymbol();
  }
  return nullptr;
}

TStaveTimeSymbol* TStaveTimeSymbol::WalkToEnd(bool forward, bool samePosInOol) {
  TStaveTimeSymbol* end = this;
  while (TStaveTimeSymbol* further = end->WalkAtPosition(forward, samePosInOol)) end = further;
  return end;
}

TStaveTimeSymbol* TStaveTimeSymbol::GetFirstAtPosition() { return WalkToEnd(false, false); }
TStaveTimeSymbol* TStaveTimeSymbol::GetNextAtPosition() { return WalkAtPosition(true, false); }
TStaveTimeSymbol* TStaveTimeSymbol::GetLastAtPosition() { return WalkToEnd(true, false); }
TStaveTimeSymbol* TStaveTimeSymbol::GetFirstOfChord() { return WalkToEnd(false, true); }
TStaveTimeSymbol* TStaveTimeSymbol::GetNextOfChord() { return WalkAtPosition(true, true); }

void TStaveTimeSymbol::SetMark(int32_t mark) {
  KV_ASSERT(mark != 0);
  KV_ASSERT(Mark == 0);
  Mark = mark;
}

void TStaveTimeSymbol::ClearMark() {
  KV_ASSERT(Mark != 0);
  Mark = 0;
}

void TSilence::Dump() const {
  DebugLog("TSilence:");
  DebugLogPointer(this);
}

// Notes

TMuzNote::TMuzNote(TUnitMuz* unitMuz, TNoteGroup* noteGroup, int8_t noteLengthKind, int32_t points, double position,
                   int32_t pitch, TNoteStave* noteStave, uint8_t noteShift, int8_t multiOol, int32_t posInOol,
                   uint8_t noteArtKind, TSinglePartMuz* singlePartMuz, uint8_t drawStickKind)
    : TStaveTimeSymbol(position, noteStave, noteLengthKind, points, multiOol, posInOol, singlePartMuz),
      NoteGroup(noteGroup),
      UnitMuz(unitMuz),
      Pitch(pitch),
      NoteShift(noteShift),
      NoteArtKind(noteArtKind),
      DrawStickKind(drawStickKind) {
  KV_ASSERT(points > 0 || multiOol == sool || multiOol == triool || multiOol == kwintool);
  KV_ASSERT(MultiOol != kwintool || NoteLengthKind <= 16);
  KV_ASSERT(MultiOol == sool || NoteLengthKind <= 32);
  CheckPitch();
}

void TMuzNote::CheckPitch() const {
  KV_ASSERT(Pitch >= -43);
  KV_ASSERT(Pitch <= 43);
}

bool TMuzNote::SetPitch(int32_t pitch) {
  if (pitch < GetMinPitch() || pitch > GetMaxPitch()) return false;
  Pitch = pitch;
  return true;
}

void TMuzNote::SetNext(TStaveSymbol* next) {
  TStaveSymbol::SetNext(next);
  CheckPitch();
}

int32_t TMuzNote::GetYDistance(int32_t y) const {
  KV_ASSERT(GetNoteStave() != NULL);
  return PixelDistance(y, GetNoteStave()->GetCentreY() - static_cast<int64_t>(kStepPixels) * DrawHeight);
}

void TMuzNote::Dump() const {
  DebugLog("TMuzNote:");
  DebugLogPointer(this);
}

TNote* TMuzNote::GetNextNote() const { return GetNext() != nullptr ? GetNext()->GetFirstNoteFrom() : nullptr; }

TCompoundPlayer* TMuzNote::GetCompoundPlayer() const {
  KV_ASSERT(NoteGroup != NULL);
  return NoteGroup->GetCompoundPlayer();
}

double TMuzNote::GetPeriod() const {
  // Semitones above A of each step of the scale, A first.
  static constexpr int32_t kSemitonesAboveA[7] = {0, 2, 3, 5, 7, 8, 10};
  const int32_t s = Pitch - 5;
  const int32_t step = (s % 7 + 7) % 7;
  const int32_t octave = (s - step) / 7;
  const int32_t semitones = kSemitonesAboveA[step] + NoteShiftSemitones(NoteShift);
  return 1.0 / (440.0 * std::pow(2.0, octave + semitones / 12.0));
}

double TMuzNote::GetSoundLength() const {
  // Factors of normal, staccato, staccatissimo, portato and legato.
  static constexpr double kArticulationFactors[] = {1.0, 0.5, 0.25, 1.5, 2.0};
  const double factor = NoteArtKind <= noteArtLegato ? kArticulationFactors[NoteArtKind] : 1.0;
  return GetLength() / GetMultiOol() * factor;
}

bool TMuzNote::GetMute() const {
  KV_ASSERT(GetNoteStave() != NULL);
  return GetNoteStave()->GetMute() != 0;
}

uint8_t TMuzNote::GetBerDrawStickKind() const {
  if (DrawStickKind != drawStickAuto) return DrawStickKind;
  KV_ASSERT(NoteGroup != NULL);
  return NoteGroup->GetStickKind();
}
