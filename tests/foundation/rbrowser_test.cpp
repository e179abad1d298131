#include "foundation/rbrowser.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/assertion.h"

namespace {

struct IntRecord : TBrowseRecord {
  explicit IntRecord(int v) : value(v) {}
  TBrowseRecord* Clone() const override { return new IntRecord(value); }
  int value;
};

// A browser whose "dialog" is one integer field; a negative field is invalid. `calls` counts
// the calls that read, show or update the dialog.
class IntBrowser : public TRecordBrowser {
 public:
  IntBrowser() { SetRecords(new IntRecord(0), 0); }

  int field = 0, calls = 0, viewCount = 0, viewPosition = 0;
  bool attached = false, viewCanPaste = false;
  std::vector<bool> viewCan;  // previous, next, delete

 protected:
  void DetachAfterOK() override { attached = false; }
  void DetachAfterCancel() override { attached = false; }
  void AttachEditor(BrowseEditor*) override { attached = true; }
  bool ReadFields(TBrowseRecord*& record) override {
    ++calls;
    if (field < 0) return false;
    record = new IntRecord(field);
    return true;
  }
  void ShowRecord(const TBrowseRecord* record) override {
    ++calls;
    field = static_cast<const IntRecord*>(record)->value;
  }
  void ShowDefaults() override { field = 0; }
  TBrowseRecord* NewRecord() override { return new IntRecord(0); }
  void UpdateView(int32_t count, int32_t position, bool canPrevious, bool canNext, bool canDelete,
                  bool canPaste) override {
    ++calls;
    viewCan = {canPrevious, canNext, canDelete};
    viewCount = count;
    viewPosition = position;
    viewCanPaste = canPaste;
  }
};

// Opens a browser holding the given values, with the cursor on `cursor`.
void Fill(IntBrowser& b, const std::vector<int>& values, int cursor) {
  b.Open(nullptr);
  b.field = values[0];
  for (size_t i = 1; i < values.size(); ++i) {
    b.Append();
    b.field = values[i];
  }
  b.First();
  while (b.Cursor < cursor) b.Next();
}

// Closes the browser (storing the field) and reads every record in order.
std::vector<int> Values(IntBrowser& b) {
  std::vector<int> out;
  if (b.IsOpen) b.CloseOK();
  out.push_back(static_cast<IntRecord*>(b.GetRecord())->value);
  while (b.NextRecord()) out.push_back(static_cast<IntRecord*>(b.GetRecord())->value);
  return out;
}

}  // namespace

// 20 is typed into the field first: inserting stores it, deleting loses it.
TEST(RecordBrowser, EditCommandsPlaceOrRemoveRecordsAtTheCursorAndShowTheNewCurrentOne) {
  struct Case { const char* what; void (TRecordBrowser::*command)(); std::vector<int> before; int cursor;
                std::vector<int> after; int newCursor, shown; };
  for (const Case& c : {Case{"insert", &TRecordBrowser::Insert, {1, 2, 3}, 1, {1, 0, 20, 3}, 1, 0},
                        Case{"insert at the head", &TRecordBrowser::Insert, {1, 2}, 0, {0, 20, 2}, 0, 0},
                        Case{"append", &TRecordBrowser::Append, {1, 2, 3}, 1, {1, 20, 0, 3}, 2, 0},
                        Case{"delete the last", &TRecordBrowser::Delete, {1, 2, 3}, 2, {1, 2}, 1, 2},
                        Case{"delete the first", &TRecordBrowser::Delete, {1, 2, 3}, 0, {2, 3}, 0, 2},
                        Case{"delete the only", &TRecordBrowser::Delete, {5}, 0, {20}, 0, 20},
                        Case{"clear", &TRecordBrowser::Clear, {4, 5, 6}, 2, {0}, 0, 0}}) {
    SCOPED_TRACE(c.what);
    IntBrowser b;
    Fill(b, c.before, c.cursor);
    b.field = 20;
    (b.*c.command)();
    const int count = static_cast<int>(c.after.size());
    EXPECT_EQ(std::tuple(b.Cursor, b.field, b.viewPosition, b.viewCount),
              std::tuple(c.newCursor, c.shown, c.newCursor + 1, count));
    EXPECT_EQ(b.viewCan, (std::vector<bool>{c.newCursor > 0, c.newCursor < count - 1, count >= 2}));
    EXPECT_EQ(Values(b), c.after);
  }
}

TEST(RecordBrowser, PasteShowsTheCopiedFieldsAndAnInvalidFieldBlocksNavigationClosingAndCopying) {
  IntBrowser b;
  Fill(b, {1, 2}, 0);
  b.Copy();  // a good copy first: the failed one keeps it to be pasted
  b.Next();
  b.Paste();
  EXPECT_EQ(std::pair(b.field, b.viewCanPaste), std::pair(1, true));
  b.Previous();
  b.field = -1;
  b.Next();
  EXPECT_EQ(b.Cursor, 0);
  EXPECT_FALSE(b.CloseOK());
  EXPECT_TRUE(b.IsOpen);
  b.Copy();
  EXPECT_TRUE(b.ClipboardFull() && b.viewCanPaste);
  b.Paste();
  EXPECT_EQ(b.field, 1);
  b.field = 7;
  b.Next();
  EXPECT_EQ(b.Cursor, 1);
  EXPECT_THROW(b.Next(), AssertionFailure);
  EXPECT_TRUE(b.CloseOK() && !b.attached);
  EXPECT_EQ(Values(b), (std::vector<int>{7, 1}));
  EXPECT_FALSE(b.NextRecord());
}

TEST(RecordBrowser, CopiesAreIndependentAndHaveNoClipboard) {
  IntBrowser original;
  Fill(original, {1, 2, 3}, 1);
  original.Copy();
  original.CloseOK();
  IntBrowser copy(original);
  EXPECT_FALSE(copy.ClipboardFull());
  copy.Open(nullptr);  // on the original's current record
  copy.field = 20;
  EXPECT_EQ(Values(copy), (std::vector<int>{1, 20, 3}));
  EXPECT_EQ(Values(original), (std::vector<int>{1, 2, 3}));

  IntBrowser assigned;
  assigned = original;
  EXPECT_EQ(Values(assigned), (std::vector<int>{1, 2, 3}));
}
