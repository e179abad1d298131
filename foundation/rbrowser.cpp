#include "foundation/rbrowser.h"

#include "foundation/assertion.h"

namespace {
constexpr const char* kAssertUnit = "rbrowser";
}

TBrowseRecord* TBrowseRecord::CloneList() const {
  TBrowseRecord* head = Clone();
  TBrowseRecord* tail = head;
  for (const TBrowseRecord* r = next; r != nullptr; r = r->next) {
    TBrowseRecord* copy = r->Clone();
    copy->previous = tail;
    tail->next = copy;
    tail = copy;
  }
  return head;
}

void TBrowseRecord::DeleteList() {
  // A loop, not recursion: a long list must not exhaust the stack.
  TBrowseRecord* r = next;
  while (r != nullptr) {
    TBrowseRecord* following = r->next;
    delete r;
    r = following;
  }
  delete this;
}

TRecordBrowser::TRecordBrowser(const TRecordBrowser& other) { CopyFrom(other); }

TRecordBrowser& TRecordBrowser::operator=(const TRecordBrowser& other) {
  if (this == &other) return *this;
  DestroyList();
  CopyFrom(other);
  return *this;
}

TRecordBrowser::~TRecordBrowser() {
  DestroyList();
  delete clipboard_;
}

void TRecordBrowser::CopyFrom(const TRecordBrowser& other) {
  first_ = other.first_ != nullptr ? other.first_->CloneList() : nullptr;
  Cursor = other.Cursor;
  IsOpen = other.IsOpen;
  Count = CountList(first_);
  KV_ASSERT(Count == other.Count);
  EditBrowseRecord = first_;
  for (int32_t i = 0; i < Cursor && EditBrowseRecord != nullptr; ++i) EditBrowseRecord = EditBrowseRecord->next;
  if (first_ != nullptr) KV_ASSERT(EditBrowseRecord != NULL);
  // The clipboard belongs to one editing session and is not copied.
  delete clipboard_;
  clipboard_ = nullptr;
  clipboardFull_ = false;
  readPosition_ = first_;
}

void TRecordBrowser::DestroyList() {
  if (first_ != nullptr) first_->DeleteList();
  first_ = nullptr;
  EditBrowseRecord = nullptr;
  readPosition_ = nullptr;
  Count = 0;
}

int32_t TRecordBrowser::CountList(const TBrowseRecord* first) {
  int32_t n = 0;
  for (const TBrowseRecord* r = first; r != nullptr; r = r->next) ++n;
  return n;
}

void TRecordBrowser::SetRecords(TBrowseRecord* first, int32_t index) {
  DestroyList();
  first_ = first;
  readPosition_ = first;
  Count = CountList(first);
  Cursor = 0;
  EditBrowseRecord = first;
  KV_ASSERT(EditBrowseRecord != NULL);
  GoTo(index);
}

bool TRecordBrowser::CloseOK() {
  if (!StoreEdit()) return false;
  DetachAfterOK();
  IsOpen = false;
  readPosition_ = first_;
  return true;
}

void TRecordBrowser::Cancel() {
  IsOpen = false;
  DetachAfterCancel();
  readPosition_ = first_;
}

void TRecordBrowser::Open(BrowseEditor* dialog) {
  AttachEditor(dialog);
  IsOpen = true;
  GoTo(Cursor);
  Refresh();
}

bool TRecordBrowser::StoreEdit() {
  // Without an editor there are no fields to store.
  if (!IsOpen) return true;
  TBrowseRecord* record = nullptr;
  if (!ReadFields(record) || record == nullptr) return false;
  if (!AcceptRecord(record)) {
    delete record;
    return false;
  }
  TBrowseRecord* old = EditBrowseRecord;
  record->previous = old->previous;
  record->next = old->next;
  if (old->previous != nullptr) old->previous->next = record;
  if (old->next != nullptr) old->next->previous = record;
  if (first_ == old) first_ = record;
  if (readPosition_ == old) readPosition_ = record;
  old->next = old->previous = nullptr;
  delete old;
  EditBrowseRecord = record;
  return true;
}

void TRecordBrowser::First() {
  if (StoreEdit()) GoTo(0);
}

void TRecordBrowser::Previous() {
  if (!StoreEdit()) return;
  KV_ASSERT(Cursor > 0);
  GoTo(Cursor - 1);
}

void TRecordBrowser::Next() {
  if (!StoreEdit()) return;
  KV_ASSERT(Cursor < Count - 1);
  GoTo(Cursor + 1);
}

void TRecordBrowser::Last() {
  if (StoreEdit()) GoTo(Count - 1);
}

void TRecordBrowser::GoTo(int32_t index) {
  while (Cursor > index) {
    EditBrowseRecord = EditBrowseRecord->previous;
    --Cursor;
    KV_ASSERT(EditBrowseRecord != NULL);
  }
  while (Cursor < index) {
    EditBrowseRecord = EditBrowseRecord->next;
    ++Cursor;
    KV_ASSERT(EditBrowseRecord != NULL);
  }
  if (!IsOpen) return;  // the dialog is told only while one is attached
  ShowRecord(EditBrowseRecord);
  Refresh();
}

void TRecordBrowser::LinkNew(bool after) {
  if (!StoreEdit()) return;
  KV_ASSERT(EditBrowseRecord != NULL);  // records are set before anything is edited
  if (IsOpen) ShowDefaults();
  TBrowseRecord* record = NewRecord();
  TBrowseRecord* current = EditBrowseRecord;
  if (after) {
    record->previous = current;
    record->next = current->next;
    if (current->next != nullptr) current->next->previous = record;
    current->next = record;
    ++Cursor;
  } else {
    record->next = current;
    record->previous = current->previous;
    if (current->previous != nullptr) current->previous->next = record;
    current->previous = record;
    if (first_ == current) first_ = record;
  }
  EditBrowseRecord = record;
  ++Count;
  Refresh();
}

void TRecordBrowser::Insert() { LinkNew(false); }
void TRecordBrowser::Append() { LinkNew(true); }

void TRecordBrowser::Delete() {
  if (Count < 2) return;  // the list is never left empty
  TBrowseRecord* old = EditBrowseRecord;
  if (old->previous != nullptr) old->previous->next = old->next;
  if (old->next != nullptr) old->next->previous = old->previous;
  if (first_ == old) first_ = old->next;
  if (readPosition_ == old) readPosition_ = first_;
  RecordRemoved(old);
  // The next record takes the deleted one's index; without one, the previous record does.
  EditBrowseRecord = old->next != nullptr ? old->next : old->previous;
  old->next = old->previous = nullptr;
  delete old;
  --Count;
  if (Cursor == Count) --Cursor;
  const int32_t index = Cursor;
  // EditBrowseRecord now stands at Cursor already; GoTo only shows it.
  GoTo(index);
}

void TRecordBrowser::Copy() {
  // A bad field stops the copy with its message; the row copied before stays to be pasted.
  TBrowseRecord* record = nullptr;
  if (IsOpen && ReadFields(record) && record != nullptr) {
    delete clipboard_;
    clipboard_ = record;
    clipboardFull_ = true;
  } else {
    delete record;
  }
  Refresh();
}

void TRecordBrowser::Paste() {
  if (!clipboardFull_) return;
  if (IsOpen) ShowRecord(clipboard_);
  Refresh();
}

void TRecordBrowser::Clear() {
  DestroyList();
  first_ = NewRecord();
  readPosition_ = first_;
  EditBrowseRecord = first_;
  Cursor = 0;
  Count = 1;
  GoTo(0);
  Refresh();
}

void TRecordBrowser::Refresh() {
  if (!IsOpen) return;
  UpdateView(Count, Cursor + 1, Cursor > 0, Cursor < Count - 1, Count >= 2, clipboardFull_);
}

int32_t TRecordBrowser::GetCount() const {
  KV_ASSERT(!IsOpen);
  return Count;
}

TBrowseRecord* TRecordBrowser::GetRecord() const {
  KV_ASSERT(!IsOpen);
  return readPosition_;
}

bool TRecordBrowser::NextRecord() {
  KV_ASSERT(!IsOpen);
  if (readPosition_ == nullptr || readPosition_->next == nullptr) return false;
  readPosition_ = readPosition_->next;
  return true;
}

void TRecordBrowser::RecordRemoved(TBrowseRecord*) {}
bool TRecordBrowser::AcceptRecord(const TBrowseRecord*) { return true; }
