// The wave document: one sound, the selection of its window, the abort flag every sample
// operation reports a failed allocation through, and the last parameters used on it for every
// wave operation.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/unit.h"
#include "wave/mfreqprops.h"
#include "wave/props.h"
#include "wave/sound.h"

class TUndoUnit;
class WaveView;

// Why a wave command cannot run: what could not be done, then why.
namespace refusaltext {
inline constexpr const char* kMakeWave = "Cannot make the wave";
inline constexpr const char* kMixStretch = "Cannot stretch the clipboard over the wave";
inline constexpr const char* kVolume = "Cannot change the volume";
inline constexpr const char* kBalance = "Cannot balance the wave";
inline constexpr const char* kRollOut = "Cannot roll the wave out";
inline constexpr const char* kLength = "Cannot change the length";
inline constexpr const char* kTempoPitch = "Cannot change tempo and pitch";
inline constexpr const char* kDistort = "Cannot distort the wave";
inline constexpr const char* kPerEcho = "Cannot echo the wave";
inline constexpr const char* kFilter = "Cannot filter the wave";
// ": the wave "<name>" chosen as <field> holds no samples." (or is no longer open)
inline constexpr const char* kTheWave = ": the wave \"";
inline constexpr const char* kChosenAs = "\" chosen as ";
inline constexpr const char* kHoldsNoSamples = " holds no samples.";
inline constexpr const char* kNotOpen = " is no longer open.";
inline constexpr const char* kWaveEmpty = ": the wave holds no samples.";
inline constexpr const char* kClipboardEmpty = ": the clipboard holds no samples.";
inline constexpr const char* kTooShortToEcho = ": the part to echo holds fewer than 2 samples.";
inline constexpr const char* kHighQualityForwardOnly =
    ": the high quality follows a Frequency Envelope at a positive Speed Factor only; the low quality "
    "plays it backwards too.";
}  // namespace refusaltext

// The parameter record of every wave operation: the main window keeps the defaults in one, every
// document its own. Pairs of operations that share a record class keep one record each.
struct TWaveOperationProps {
  TLineProps Line;
  TSilenceProps Silence;
  TNoiseProps Noise;
  TBlockTriangleProps MakeBlock;
  TBlockTriangleProps MakeTriangle;
  TSinusProps Sinus;
  TMFreqProps MFreq;
  TVolumeProps Volume;
  TBalanceProps Balance;
  TRotateProps Rotate;
  TBlockProps Block;
  TRollInProps RollIn;
  TRollOutProps RollOut;
  TLengthProps Length;
  TTempoPitchProps TempoPitch;
  TUpProps Up;
  TDistortProps Distort;
  TLeftRightProps LeftRight;
  TPerEchoProps PerEcho;
  TRandomEchoProps RandomEcho;
  TMixProps Mix;
  THighLowProps FilterHigh;
  THighLowProps FilterLow;
  TResNotchProps FilterRes;
  TResNotchProps FilterNotch;
  TBlockFilterProps FilterBlock;
};

class TDrawNode;

class TUnitWave : public TUnit {
 public:
  // A new, empty document of the given format.
  TUnitWave(const std::string& fileName, const waveFileProps& props);
  // A saved document around `sound`, which the document takes over.
  TUnitWave(const std::string& fileName, SoundPtr sound);
  ~TUnitWave() override;

  // --- TUnit ----------------------------------------------------------------------------------
  bool NeedsSave() const override;
  bool SaveToFile(const std::string& fileName, bool temporary) override;
  uint32_t GetSamplesPerSec() const override;
  int16_t GetChannels() const override;
  int16_t GetBytesPerSample() const override;
  void SetFormat(const waveFileProps& oldProps, const waveFileProps& newProps) override;

  // --- Records, window and sound ----------------------------------------------------------------
  void SetProps(const TWaveOperationProps& props) { Props = props; }
  const TWaveOperationProps& GetProps() const { return Props; }
  void SetView(WaveView* view) { View = view; }
  WaveView* GetView() const { return View; }
  Sound* GetSound() const { return TheSound; }
  // Replaces the sound without any other effect; the caller owns the previous one.
  SoundPtr SetSound(SoundPtr sound);
  // The merge commands hand this document's sound to the merged document just before this one
  // closes; from then on this document no longer frees it.
  SoundPtr HandOverSound() {
    SoundNotOwned = true;
    return SoundPtr(TheSound);
  }
  bool GetAbort() const { return Abort; }

  // --- Selection --------------------------------------------------------------------------------
  int32_t GetValues() const { return TheSound->GetValues(); }
  int32_t GetSelCursor() const { return SelCursor; }
  int32_t GetSelAnchor() const { return SelAnchor; }
  // The lower and higher end; both the cursor when nothing is selected.
  int32_t GetSelBegin() const { return SelCursor < SelAnchor ? SelCursor : SelAnchor; }
  int32_t GetSelEnd() const { return SelCursor < SelAnchor ? SelAnchor : SelCursor; }
  // The stretch an edit works on: the selection, or the whole sound when it is empty.
  int32_t GetBegin() const { return SelCursor == SelAnchor ? 0 : GetSelBegin(); }
  int32_t GetEnd() const { return SelCursor == SelAnchor ? GetValues() : GetSelEnd(); }
  double GetSelTime() const;

  // The public setters store and repaint what changed.
  void ExtendSelection(int32_t position);
  void SetCursor(int32_t position);
  void SetSelRange(int32_t begin, int32_t end);
  void SetSelEnds(int32_t movingEnd, int32_t fixedEnd);

  // The bracket around every operation that may change the sound's length.
  void BeginChange(int32_t begin, int32_t end);
  void EndChange(int32_t begin, int32_t end);

  // Panels 2 to 7 of the main window's status bar.
  void ShowStatus() const;
  // The clipboard gets [begin, end) unless the abort flag was raised; true when it did.
  bool CopyToClipboard(int32_t begin, int32_t end);
  bool CanDrawWaveLin() const;
  bool CanDrawWave3G() const { return CanDrawWaveLin(); }

  // Undo: exchanges sound and selection with the record's.
  void SwapUndo(TUndoUnit& undo);

  // --- Wave commands ----------------------------------------------------------------------------
  // Each stores its record as this document's own, so the next dialog opens with these values,
  // then runs on the present sound. The result is true when the document got a new sound; false
  // means nothing changed (a raised abort flag, or values no sound operation can take), so the
  // caller does not mark the document modified. EditCopy never changes the sound: it tells
  // whether the clipboard got the stretch.
  bool MakeLine(const TLineProps& props);
  bool MakeSilence(const TSilenceProps& props);
  bool MakeNoise(const TNoiseProps& props);
  bool MakeBlock(const TBlockTriangleProps& props);
  bool MakeTriangle(const TBlockTriangleProps& props);
  bool MakeSinus(const TSinusProps& props);
  bool MakeMFreq(const TMFreqProps& props);
  bool EditDelete();
  bool EditTrim();
  bool EditCopy();
  bool EditCut();
  bool EditPaste();
  bool EditSwap();
  bool EditExtract();
  bool EditMix(const TMixProps& props);
  bool Volume(const TVolumeProps& props);
  bool Balance(const TBalanceProps& props);
  bool Rotate(const TRotateProps& props);
  bool Block(const TBlockProps& props);
  bool RollIn(const TRollInProps& props);
  bool RollOut(const TRollOutProps& props);
  bool Length(const TLengthProps& props);
  bool TempoPitch(const TTempoPitchProps& props);
  bool Up(const TUpProps& props);
  bool Distort(const TDistortProps& props);
  bool MixLeftRight(const TLeftRightProps& props);
  bool PerEcho(const TPerEchoProps& props);
  bool MaxVolume();
  bool Reverse();
  bool FilterHigh(const THighLowProps& props);
  bool FilterLow(const THighLowProps& props);
  bool FilterRes(const TResNotchProps& props);
  bool FilterNotch(const TResNotchProps& props);
  bool FilterBlock(const TBlockFilterProps& props);

  // What the dialogs cannot know: another wave that holds no samples, a part too short, an empty
  // clipboard. Each tells why the command of that record cannot run on the present sound, in
  // words for the user, or is empty when it can; asked before anything changes, so a refused
  // command leaves no trace. The operations refuse the same values on their own.
  std::string Refusal(const TBlockTriangleProps& props) const;
  std::string Refusal(const TMFreqProps& props) const;
  std::string Refusal(const TMixProps& props) const;
  std::string Refusal(const TVolumeProps& props) const;
  std::string Refusal(const TBalanceProps& props) const;
  std::string Refusal(const TRollOutProps& props) const;
  std::string Refusal(const TLengthProps& props) const;
  std::string Refusal(const TTempoPitchProps& props) const;
  std::string Refusal(const TDistortProps& props) const;
  std::string Refusal(const TPerEchoProps& props) const;
  std::string Refusal(const THighLowProps& props) const;
  std::string Refusal(const TResNotchProps& props) const;
  std::string Refusal(const TBlockFilterProps& props) const;

  // --- Random echo and the drawn wave ------------------------------------------------------------
  // The whole sound becomes a mix of copies of itself, each varied by the dice and placed at a
  // random time; the cursor goes to the start.
  void RndEcho(const TRandomEchoProps& props);
  // One second of 16-bit mono sound through the control points from `first` on, x mapped from
  // [left, right] and y from top (full scale) to bottom; curve type 0 straight, 1 smooth. Fewer
  // than two points change nothing. The window repaints afterwards.
  void MakeDrawnWave(int32_t left, int32_t top, int32_t right, int32_t bottom, const TDrawNode* first,
                     uint8_t drawType);

 protected:
  // Every document operation starts here: one failed allocation must not disable every later
  // operation of the document.
  void BeginOperation() { Abort = false; }
  // The road of every operation that makes a new sound from the present one. `make` (const Sound&,
  // bool& abort, int32_t& begin, int32_t& end) -> SoundPtr runs the Sound operation on [begin, end)
  // and leaves in the ends the stretch its result occupies. A bracketed operation may change the
  // length: the window keeps its zoom and the result is selected. The result replaces the sound
  // unless the abort flag was raised; the window is redrawn either way.
  // Returns whether the result replaced the sound.
  template <typename Make>
  bool RunOperation(bool bracketed, int32_t begin, int32_t end, Make make) {
    BeginOperation();
    if (bracketed) BeginChange(begin, end);
    const bool adopted = AdoptResult(make(static_cast<const Sound&>(*TheSound), Abort, begin, end));
    if (bracketed) EndChange(begin, end);
    Redraw();
    return adopted;
  }
  // Puts an operation's result in place unless the abort flag was raised, and says whether it did.
  // The old sound is the undo record's when the record keeps it, else deleted.
  bool AdoptResult(SoundPtr result);
  void Redraw() const;

 private:
  void InitFields();
  int32_t ClampPosition(int32_t position) const;
  void ClampSelection();
  void PutSelCursor(int32_t position) { SelCursor = ClampPosition(position); }
  void PutSelBoth(int32_t position) { SelCursor = SelAnchor = ClampPosition(position); }
  void PutSelAnchor(int32_t position) { SelAnchor = ClampPosition(position); }
  void PutSelRange(int32_t begin, int32_t end);
  void RedrawSelChange(int32_t oldLower, int32_t oldUpper, int32_t newLower, int32_t newUpper);
  void MoveViewCursor(int32_t oldPosition, int32_t newPosition);
  // Notes the old ends, lets `store` set the new ones, then repaints the change.
  template <typename Store>
  void ChangeSelection(Store store);
  // The previous sound is deleted unless someone else keeps it.
  void ReleaseSound(Sound* previous);
  // The shared bodies of the wave commands that come in pairs.
  bool MakeBlockTriangle(const TBlockTriangleProps& props, bool triangle);
  bool FilterHighLow(const THighLowProps& props, bool high);
  bool FilterResNotch(const TResNotchProps& props, bool resonant);
  // A full copy of a sound in its own kind.
  static SoundPtr CopySound(bool& abort, const Sound& sound);
  // [begin, end) of the present sound with both ends kept within it, for the clipboard.
  SoundPtr ClipOf(bool& abort, int32_t begin, int32_t end) const;

  bool SoundNotOwned = false;
  WaveView* View = nullptr;  // borrowed
  Sound* TheSound = nullptr;  // owned unless SoundNotOwned; never null once constructed
  int32_t SelCursor = 0;      // the moving selection end
  int32_t SelAnchor = 0;      // the fixed selection end
  bool Abort = false;
  TWaveOperationProps Props;
};
