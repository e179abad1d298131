#include "app/dialogs/DBlock.h"

TDlgBlockProps::TDlgBlockProps(QWidget* owner, const TBlockProps& props)
    : TOperationDlg(owner, props) {
  setWindowTitle("Block");
  SetHelpContext(43);
  // The field names begin with a blank as the users have always seen them ("In  Time: ...").
  const struct {
    const char* name;
    const char* caption;
    uint8_t* kind;
    const char* noChange;
    TOptionRow count;
    TOptionRow step;
  } groups[] = {
      {"grpHorizontal", "Horizontal", &Record.HorKind, "optHorNoChange",
       {"optHorCount", "Count", "editHorCount", &Record.HorCount, " Horizontal Count"},
       {"optHorTime", "Time", "editHorTime", &Record.HorTime, " Time"}},
      {"grpVertical", "Vertical", &Record.VertKind, "optVertNoChange",
       {"optVertCount", "Count", "editVertCount", &Record.VertCount, " Vertical Count"},
       {"optVertHeight", "Height", "editVertHeight", &Record.VertHeight, " Height"}},
  };
  for (const auto& group : groups) {
    MoveTo(static_cast<int>(&group - groups), 0);
    TChoice& choice = AddChoice(*group.kind);
    AddOption(choice, group.noChange, "No Change");
    AddOptionRows(choice, {group.count, group.step});
    GroupRows(group.name, group.caption, 0);
  }
  FitBody();
}
