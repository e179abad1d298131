#include "wave/mfreqprops.h"

#include "foundation/assertion.h"

namespace {
// The dialog side of the rows' browser; its traps carry the dialog's unit.
constexpr const char* kAssertUnit = "DMFreq";
}  // namespace

TMFreqRecordBrowser::TMFreqRecordBrowser() { SetRecords(new TMFreqBrowseRecord, 0); }

void TMFreqRecordBrowser::AttachEditor(BrowseEditor* dialog) {
  DlgMFreqProps = dynamic_cast<MFreqEditor*>(dialog);
  // Only a multi-frequency dialog can edit these rows.
  KV_ASSERT(DlgMFreqProps != NULL);
}

bool TMFreqRecordBrowser::ReadFields(TBrowseRecord*& record) {
  KV_ASSERT(DlgMFreqProps != NULL);
  TMFreqBrowseRecord* row = nullptr;
  const bool ok = DlgMFreqProps->ReadFields(row);
  if (!ok) {
    delete row;
    return false;
  }
  record = row;
  return row != nullptr;
}

void TMFreqRecordBrowser::ShowRecord(const TBrowseRecord* record) {
  KV_ASSERT(DlgMFreqProps != NULL);
  DlgMFreqProps->ShowRecord(*static_cast<const TMFreqBrowseRecord*>(record));
}

void TMFreqRecordBrowser::ShowDefaults() {
  KV_ASSERT(DlgMFreqProps != NULL);
  DlgMFreqProps->ShowDefaults();
}

void TMFreqRecordBrowser::UpdateView(int32_t count, int32_t position, bool canGoBack, bool canGoForward,
                                     bool canDelete, bool canPaste) {
  KV_ASSERT(DlgMFreqProps != NULL);
  DlgMFreqProps->UpdateView(count, position, canGoBack, canGoForward, canDelete, canPaste);
}
