// The "Volume Diagram" dialog: how the volume diagram is drawn, optionally kept as the default.
#pragma once

#include <cstdint>

#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/ViewProps.h"

class QCheckBox;
class QLineEdit;
class TColorBox;
class TRadioGroup;

namespace voldtext {
inline constexpr const char* kTopTooHigh = "Top Frequency may not be higher than the sample Frequency.";
inline constexpr const char* kSameTopBottom = "Top Frequency and Bottom Frequency must be different.";
inline constexpr const char* kBottomTooHigh =
    "Bottom Frequency may not be higher than the sample Frequency.";
}  // namespace voldtext

class TDlgVoldViewProps : public TPropsDlg<TOKHelpRightDlg, TVoldViewProps> {
 public:
  // `defaults` (may be null) receives the result too when "Use As Default" is checked;
  // `samplesPerSec` is the rate of the document the diagram shows.
  TDlgVoldViewProps(QWidget* owner, const TVoldViewProps& props, TVoldViewProps* defaults,
                    int32_t samplesPerSec);

  QCheckBox* chk2Waves;
  TColorBox* colbBackground;
  TColorBox* colbSingle;
  TColorBox* colbLeft;
  TColorBox* colbRight;
  TColorBox* colbCursor;
  TRadioGroup* rgrHorDistribution;
  TRadioGroup* rgrSensitivity;
  QLineEdit* editTop;
  QLineEdit* editBottom;
  QLineEdit* editStrength;
  QLineEdit* editVertical;
  QLineEdit* editWidth;
  QCheckBox* chkUseAsDefault;

 private:
  // The shortest period a frequency row may have: `periods` samples of the document's rate.
  // Without a rate there is no limit.
  double PeriodLimit(int periods) const;

  TVoldViewProps* DefaultProps;
  int32_t SamplesPerSec;
};
