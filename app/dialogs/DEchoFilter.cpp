#include "app/dialogs/DEchoFilter.h"

#include <QWidget>

namespace dechofilter {

void TakeRows(QGridLayout& from, int firstRow, int endRow, QGridLayout& to) {
  for (int index = from.count() - 1; index >= 0; --index) {
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    from.getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    if (row < firstRow || row >= endRow) continue;
    QLayoutItem* item = from.takeAt(index);
    if (QWidget* widget = item->widget()) {
      widget->setParent(to.parentWidget());
      to.addWidget(widget, row, column, rowSpan, columnSpan);
      widget->show();
    }
    delete item;
  }
}

}  // namespace dechofilter
