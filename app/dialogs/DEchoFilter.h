// Building blocks of the echo, filter and multi-frequency dialogs that the operation form lacks:
// a check box over a boolean field, and tab pages whose fields are listed in the one field order
// of the form but shown on their own page.
#pragma once

#include <QCheckBox>
#include <QGridLayout>
#include <QLayoutItem>
#include <QTabWidget>

#include "app/dialogs/DCommon.h"

namespace dechofilter {

// Which open waves a wave list offers: all but the active one, or the mono ones among them.
inline constexpr uint8_t kAllButActive = 1;
inline constexpr uint8_t kMonoButActive = 2;

// Moves the widgets of rows [firstRow, endRow) of `from` to the same rows of `to`.
void TakeRows(QGridLayout& from, int firstRow, int endRow, QGridLayout& to);

}  // namespace dechofilter

template <class Form, class Props>
class TEchoFilterDlg : public TOperationDlg<Form, Props> {
 public:
  TEchoFilterDlg(QWidget* owner, const Props& props) : TOperationDlg<Form, Props>(owner, props) {}

 protected:
  // A switch copied to a boolean field without checks.
  QCheckBox* AddSwitch(const char* name, const char* caption, bool& field) {
    auto* box = dcommon::Named(new QCheckBox(QString::fromLatin1(caption), this), name);
    this->PlaceRow(nullptr, box);
    this->AddStep([box, &field] { box->setChecked(field); },
                  [box, &field](uint8_t&) { field = box->isChecked(); });
    return box;
  }

  // Fields added between BeginPage and EndPage are shown on a new page of `pages`: they are laid
  // out in rows of their own far below the body and then moved onto the page.
  void BeginPage() {
    pageRow_ += kRowsPerPage;
    this->MoveTo(0, pageRow_);
  }
  // The page goes to `index` among the pages, whatever order they are read in.
  void EndPage(QTabWidget& pages, int index, const char* caption) {
    auto* page = new QWidget(&pages);
    auto* grid = new QGridLayout(page);
    dechofilter::TakeRows(*this->Body(), pageRow_, pageRow_ + kRowsPerPage, *grid);
    grid->setRowStretch(pageRow_ + kRowsPerPage, 1);
    pages.insertTab(index, page, QString::fromLatin1(caption));
  }

 private:
  static constexpr int kRowsPerPage = 20;
  int pageRow_ = 100;
};
