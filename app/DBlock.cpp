#include "app/DBlock.h"

#include <QLabel>

TDlgBlockProps::TDlgBlockProps(QWidget* owner, const TBlockProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Block");
  SetHelpContext(43);
  // The field names begin with a blank as the users have always seen them ("In  Time: ...").
  PlaceRow(nullptr, new QLabel("Horizontal"));
  TChoice& horizontal = AddChoice(Record.HorKind);
  AddOption(horizontal, "optHorNoChange", "No Change");
  AddOptionRows(horizontal,
                {{"optHorCount", "Count", "editHorCount", &Record.HorCount, " Horizontal Count"},
                 {"optHorTime", "Time", "editHorTime", &Record.HorTime, " Time"}});
  MoveTo(1, 0);
  PlaceRow(nullptr, new QLabel("Vertical"));
  TChoice& vertical = AddChoice(Record.VertKind);
  AddOption(vertical, "optVertNoChange", "No Change");
  AddOptionRows(vertical,
                {{"optVertCount", "Count", "editVertCount", &Record.VertCount, " Vertical Count"},
                 {"optVertHeight", "Height", "editVertHeight", &Record.VertHeight, " Height"}});
  FitBody();
}
