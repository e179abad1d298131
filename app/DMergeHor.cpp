#include "app/DMergeHor.h"

#include <QFormLayout>
#include <QLineEdit>

#include "gui/controls.h"
#include "wave/unitwave.h"

namespace {

constexpr int kMergeHorHelp = 47;

const char* KindText(int16_t channels) {
  return channels == 1 ? mergetext::kMono : mergetext::kStereo;
}

}  // namespace

TDlgMergeHorProps::TDlgMergeHorProps(QWidget* owner, const TMergeHorProps& props)
    : TPropsDlg(owner, props) {
  Build("Merge Horizontally", kMergeHorHelp, "First", "Last", Record.First, Record.Last, Record);
  tsMonoStereo = AddFirstPage("Mono/Stereo", editMSFirst, editMSLast);
  tsMonoStereo->setObjectName("tsMonoStereo");
  rgrMonoStereo = new TRadioGroup("", {mergetext::kMono, mergetext::kStereo}, tsMonoStereo);
  static_cast<QFormLayout*>(tsMonoStereo->layout())->addRow(rgrMonoStereo);
  FitBody();
}

void TDlgMergeHorProps::CompareFirstPage(const TUnitWave& first, const TUnitWave& last) {
  const bool differ = first.GetChannels() != last.GetChannels();
  ShowPage(tsMonoStereo, differ);
  if (!differ) return;
  rgrMonoStereo->SetItemIndex(1);
  editMSFirst->setText(KindText(first.GetChannels()));
  editMSLast->setText(KindText(last.GetChannels()));
}

void TDlgMergeHorProps::ReadFirstPage(const TUnitWave& first) {
  Record.MonoStereo = PageVisible(tsMonoStereo) && rgrMonoStereo->ItemIndex() >= 0
                          ? static_cast<int16_t>(rgrMonoStereo->ItemIndex() + 1)
                          : first.GetChannels();
}
