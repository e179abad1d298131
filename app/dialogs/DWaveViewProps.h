// The "Wave View" dialog: how the waveform is drawn, optionally kept as the default for new windows.
#pragma once

#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/ViewProps.h"

class QCheckBox;
class QLineEdit;
class TColorBox;
class TRadioGroup;

class TDlgWaveViewProps : public TPropsDlg<TOKHelpRightDlg, TWaveViewProps> {
 public:
  // `defaults` (may be null) receives the result too when "Use As Default" is checked.
  TDlgWaveViewProps(QWidget* owner, const TWaveViewProps& props, TWaveViewProps* defaults);

  // The strength is a matter of points only; the grid colour of a drawn grid only.
  void rgrDrawClick();
  void chkDrawGridClick();

  TRadioGroup* rgrDraw;
  TRadioGroup* rgrDistribution;
  TRadioGroup* rgrCombine;
  QCheckBox* chkDrawGrid;
  QCheckBox* chk2Waves;
  TColorBox* colbGrid;
  TColorBox* colbBackground;
  TColorBox* colbSingleWave;
  TColorBox* colbLeft;
  TColorBox* colbRight;
  QLineEdit* editValuesPerPixel;
  QLineEdit* editStrength;
  QCheckBox* chkUseAsDefault;

 private:
  TWaveViewProps* DefaultProps;
};
