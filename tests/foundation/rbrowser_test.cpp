#include "foundation/rbrowser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/assertion.h"

namespace {

struct IntRecord : TBrowseRecord {
  explicit IntRecord(int v) : value(v) {}
  TBrowseRecord* Clone() const override { return new IntRecord(value); }
  int value;
};

// A browser whose "dialog" is one integer field; a negative field is invalid.
class IntBrowser : public TRecordBrowser {
 public:
  IntBrowser() { SetRecords(new IntRecord(0), 0); }

  int field = 0;
  bool attached = false;
  int shown = -1;
  std::vector<std::string> calls;
  int viewCount = 0, viewPosition = 0;
  bool viewCanPaste = false;

 protected:
  void DetachAfterOK() override { attached = false; }
  void DetachAfterCancel() override { attached = false; }
  void AttachEditor(BrowseEditor*) override { attached = true; }
  bool ReadFields(TBrowseRecord*& record) override {
    calls.push_back("ReadFields");
    if (field < 0) return false;
    record = new IntRecord(field);
    return true;
  }
  void ShowRecord(const TBrowseRecord* record) override {
    calls.push_back("ShowRecord");
    field = shown = static_cast<const IntRecord*>(record)->value;
  }
  void ShowDefaults() override { field = 0; }
  TBrowseRecord* NewRecord() override { return new IntRecord(0); }
  void UpdateView(int32_t count, int32_t position, bool, bool, bool, bool canPaste) override {
    calls.push_back("UpdateView");
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

std::vector<int> Values(IntBrowser& b) {
  std::vector<int> out;
  if (b.IsOpen) b.CloseOK();
  out.push_back(static_cast<IntRecord*>(b.GetRecord())->value);
  while (b.NextRecord()) out.push_back(static_cast<IntRecord*>(b.GetRecord())->value);
  return out;
}

}  // namespace

TEST(RecordBrowser, ConstructionCallsNoEditor) {
  IntBrowser b;
  EXPECT_TRUE(b.calls.empty());
  EXPECT_EQ(b.GetCount(), 1);
  EXPECT_EQ(Values(b), std::vector<int>{0});
}

TEST(RecordBrowser, InsertAndAppendPlaceTheNewRecordAroundTheCursor) {
  IntBrowser inserted;
  Fill(inserted, {1, 2, 3}, 1);
  inserted.Insert();
  EXPECT_EQ(inserted.Cursor, 1);
  EXPECT_EQ(inserted.viewPosition, 2);
  EXPECT_EQ(inserted.viewCount, 4);
  EXPECT_EQ(Values(inserted), (std::vector<int>{1, 0, 2, 3}));

  IntBrowser appended;
  Fill(appended, {1, 2, 3}, 1);
  appended.Append();
  EXPECT_EQ(appended.viewPosition, 3);
  EXPECT_EQ(Values(appended), (std::vector<int>{1, 2, 0, 3}));

  IntBrowser atHead;
  Fill(atHead, {1, 2}, 0);
  atHead.Insert();
  EXPECT_EQ(Values(atHead), (std::vector<int>{0, 1, 2}));
}

TEST(RecordBrowser, DeleteMovesToTheNextOrTheLastRecord) {
  IntBrowser last;
  Fill(last, {1, 2, 3}, 2);
  last.Delete();
  EXPECT_EQ(last.Cursor, 1);
  EXPECT_EQ(last.viewPosition, 2);
  EXPECT_EQ(last.viewCount, 2);
  EXPECT_EQ(last.shown, 2);
  EXPECT_EQ(Values(last), (std::vector<int>{1, 2}));

  IntBrowser first;
  Fill(first, {1, 2, 3}, 0);
  first.field = 99;  // unsaved field values of the deleted record are lost
  first.Delete();
  EXPECT_EQ(first.Cursor, 0);
  EXPECT_EQ(first.shown, 2);
  EXPECT_EQ(Values(first), (std::vector<int>{2, 3}));

  IntBrowser single;
  Fill(single, {5}, 0);
  single.Delete();
  EXPECT_EQ(Values(single), std::vector<int>{5});
}

TEST(RecordBrowser, AnInvalidFieldBlocksNavigationAndClosing) {
  IntBrowser b;
  Fill(b, {1, 2}, 0);
  b.field = -1;
  b.Next();
  EXPECT_EQ(b.Cursor, 0);
  EXPECT_FALSE(b.CloseOK());
  EXPECT_TRUE(b.IsOpen);
  b.field = 7;
  b.Next();
  EXPECT_EQ(b.Cursor, 1);
  EXPECT_THROW(b.Next(), AssertionFailure);
  EXPECT_TRUE(b.CloseOK());
  EXPECT_FALSE(b.attached);
  EXPECT_EQ(Values(b), (std::vector<int>{7, 2}));
  EXPECT_FALSE(b.NextRecord());
}

TEST(RecordBrowser, CopyAndPasteGoThroughTheFields) {
  IntBrowser b;
  Fill(b, {1, 2}, 0);
  b.Copy();
  EXPECT_TRUE(b.viewCanPaste);
  b.Next();
  b.Paste();
  EXPECT_EQ(b.field, 1);
  EXPECT_EQ(Values(b), (std::vector<int>{1, 1}));

  b.Open(nullptr);
  b.field = -5;
  b.Copy();  // a failed copy leaves the clipboard empty
  EXPECT_FALSE(b.ClipboardFull());
  EXPECT_FALSE(b.viewCanPaste);
  b.calls.clear();
  b.Paste();
  EXPECT_TRUE(b.calls.empty());
  b.Cancel();
  EXPECT_FALSE(b.IsOpen);
}

TEST(RecordBrowser, ClearLeavesOneDefaultRecord) {
  IntBrowser b;
  Fill(b, {4, 5, 6}, 2);
  b.Clear();
  EXPECT_EQ(b.Cursor, 0);
  EXPECT_EQ(b.Count, 1);
  EXPECT_EQ(Values(b), std::vector<int>{0});
}

TEST(RecordBrowser, CopiesAreIndependentAndHaveNoClipboard) {
  IntBrowser original;
  Fill(original, {1, 2, 3}, 1);
  original.Copy();
  original.CloseOK();
  IntBrowser copy(original);
  EXPECT_FALSE(copy.ClipboardFull());
  EXPECT_EQ(copy.Cursor, 1);
  copy.Open(nullptr);
  EXPECT_EQ(copy.shown, 2);
  copy.field = 20;
  copy.CloseOK();
  EXPECT_EQ(Values(copy), (std::vector<int>{1, 20, 3}));
  EXPECT_EQ(Values(original), (std::vector<int>{1, 2, 3}));

  IntBrowser assigned;
  assigned = original;
  assigned = assigned;
  EXPECT_EQ(Values(assigned), (std::vector<int>{1, 2, 3}));
}
