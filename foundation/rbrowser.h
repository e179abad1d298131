// A list of records that a dialog edits one at a time, with a cursor on the record its fields show.
// The browser knows nothing of the records' contents nor of the dialog: a subclass fills in the
// virtual operations that make, read and show records.
#pragma once

#include <cstdint>

// One record of a browser's doubly linked list. The list is a hand-made chain owned by its head.
class TBrowseRecord {
 public:
  TBrowseRecord() = default;
  TBrowseRecord(const TBrowseRecord&) : TBrowseRecord() {}  // a copy is unlinked
  TBrowseRecord& operator=(const TBrowseRecord&) { return *this; }
  virtual ~TBrowseRecord() = default;

  // A copy of this record and of every record after it, linked the same way; the copy of this
  // record has no previous record. The caller owns the new list.
  virtual TBrowseRecord* CloneList() const;
  // A copy of this record alone, unlinked.
  virtual TBrowseRecord* Clone() const = 0;
  // Destroys the records after this one and then this one.
  virtual void DeleteList();

  TBrowseRecord* next = nullptr;
  TBrowseRecord* previous = nullptr;
};

// The dialog that edits a browser's records; each kind of browser knows its own kind of editor.
class BrowseEditor {
 public:
  virtual ~BrowseEditor() = default;
};

class TRecordBrowser {
 public:
  TRecordBrowser() = default;
  TRecordBrowser(const TRecordBrowser& other);
  TRecordBrowser& operator=(const TRecordBrowser& other);
  virtual ~TRecordBrowser();

  // Takes ownership of the list and makes the record at `index` current.
  void SetRecords(TBrowseRecord* first, int32_t index);

  // Opening and closing, called by the dialog.
  virtual bool CloseOK();
  virtual void Cancel();
  virtual void Open(BrowseEditor* dialog);

  // Editor commands.
  void First();
  void Previous();
  void Next();
  void Last();
  void Insert();
  void Append();
  void Delete();
  void Copy();
  void Paste();
  void Clear();
  void Refresh();

  // Sequential reading while the browser is closed.
  int32_t GetCount() const;
  TBrowseRecord* GetRecord() const;
  bool NextRecord();

  int32_t Cursor = 0;
  int32_t Count = 0;
  bool IsOpen = false;
  TBrowseRecord* EditBrowseRecord = nullptr;

  bool ClipboardFull() const { return clipboardFull_; }

 protected:
  virtual void DetachAfterOK() = 0;
  virtual void DetachAfterCancel() = 0;
  virtual void AttachEditor(BrowseEditor* dialog) = 0;
  virtual bool StoreEdit();
  // A new record made from the dialog's fields, or false when a field is not valid.
  virtual bool ReadFields(TBrowseRecord*& record) = 0;
  virtual void ShowRecord(const TBrowseRecord* record) = 0;
  virtual void ShowDefaults() = 0;
  virtual TBrowseRecord* NewRecord() = 0;
  virtual void UpdateView(int32_t count, int32_t position, bool canGoBack, bool canGoForward, bool canDelete,
                          bool canPaste) = 0;
  virtual void RecordRemoved(TBrowseRecord* record);
  virtual bool AcceptRecord(const TBrowseRecord* record);
  virtual void GoTo(int32_t index);

 private:
  void CopyFrom(const TRecordBrowser& other);
  void DestroyList();
  void LinkNew(bool after);
  static int32_t CountList(const TBrowseRecord* first);

  bool clipboardFull_ = false;
  TBrowseRecord* readPosition_ = nullptr;
  TBrowseRecord* first_ = nullptr;
  TBrowseRecord* clipboard_ = nullptr;
};
