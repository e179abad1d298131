// The multi-frequency generator's parameters: a few plain values and a list of oscillator rows
// that its dialog edits one row at a time through a record browser.
#pragma once

#include <cstdint>

#include "foundation/rbrowser.h"
#include "foundation/readers.h"
#include "foundation/smallobj.h"
#include "wave/unitwaveref.h"

// One oscillator: it starts at StartVolume and StartAngle, and its volume is multiplied by VolFact
// every VolFactTime seconds.
class TMFreqBrowseRecord : public TBrowseRecord {
 public:
  TBrowseRecord* Clone() const override { return new TMFreqBrowseRecord(*this); }

  unitVolumeFactor StartVolume{0.5, kUnitPercent};
  unitTimePosMore Frequency{0.001, kUnitKiloHertz};  // the period in seconds
  unitAngleFactor StartAngle{0, kUnitNone};
  unitFactorPosMore VolFact{0.1, kUnitPercent};
  unitTimePosMore VolFactTime{1.0, kUnitSeconds};
};

// What the rows' browser asks of the dialog that edits them.
class MFreqEditor : public BrowseEditor {
 public:
  // A new row read from the inputs; false (after the dialog showed why) when one is not valid.
  virtual bool ReadFields(TMFreqBrowseRecord*& row) = 0;
  virtual void ShowRecord(const TMFreqBrowseRecord& row) = 0;
  // Prepares the inputs for a new row.
  virtual void ShowDefaults() = 0;
  virtual void UpdateView(int32_t count, int32_t position, bool canGoBack, bool canGoForward, bool canDelete,
                          bool canPaste) = 0;
};

class TMFreqRecordBrowser : public TRecordBrowser {
 public:
  // One default row, current.
  TMFreqRecordBrowser();
  // The copy clones every row and keeps the dialog pointer as it is.
  TMFreqRecordBrowser(const TMFreqRecordBrowser&) = default;
  TMFreqRecordBrowser& operator=(const TMFreqRecordBrowser&) = default;

  // The row at the read position (see GetRecord).
  const TMFreqBrowseRecord* GetRow() const { return static_cast<const TMFreqBrowseRecord*>(GetRecord()); }

  MFreqEditor* DlgMFreqProps = nullptr;  // the dialog editing the rows, or null

 protected:
  void DetachAfterOK() override { DlgMFreqProps = nullptr; }
  void DetachAfterCancel() override { DlgMFreqProps = nullptr; }
  void AttachEditor(BrowseEditor* dialog) override;
  bool ReadFields(TBrowseRecord*& record) override;
  void ShowRecord(const TBrowseRecord* record) override;
  void ShowDefaults() override;
  TBrowseRecord* NewRecord() override { return new TMFreqBrowseRecord; }
  void UpdateView(int32_t count, int32_t position, bool canGoBack, bool canGoForward, bool canDelete,
                  bool canPaste) override;
};

struct TMFreqProps {
  unitTimePosMore Length{3.0, kUnitSeconds};
  uint8_t UseKind = 0;  // 0 the sine table, 1 the wave form's sound
  unitUnitWave WaveForm;
  // One per row field, in row order; only the dialog reads them.
  bool DefVolume = true;
  bool DefFrequency = false;
  bool DefAngle = true;
  bool DefVolFact = true;
  bool DefVolFactTime = true;
  TMFreqRecordBrowser Rows;
};
