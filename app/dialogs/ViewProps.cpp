#include "app/dialogs/ViewProps.h"

bool TWaveViewProps::operator==(const TWaveViewProps& other) const {
  return DrawKind == other.DrawKind && Distribution == other.Distribution &&
         ValuesPerPixel.GetValue() == other.ValuesPerPixel.GetValue() &&
         DrawGrid == other.DrawGrid && GridColor == other.GridColor &&
         Strength.GetValue() == other.Strength.GetValue() &&
         BackgroundColor == other.BackgroundColor && SingleWaveColor == other.SingleWaveColor &&
         TwoWaves == other.TwoWaves && LeftColor == other.LeftColor &&
         RightColor == other.RightColor && Combine == other.Combine;
}

bool TVoldViewProps::operator==(const TVoldViewProps& other) const {
  return TopFreq.GetValue() == other.TopFreq.GetValue() &&
         BottomFreq.GetValue() == other.BottomFreq.GetValue() &&
         VerticalResolution.GetValue() == other.VerticalResolution.GetValue() &&
         FreqWidth.GetValue() == other.FreqWidth.GetValue() &&
         HorDistribution == other.HorDistribution && TwoDiagrams == other.TwoDiagrams &&
         Sensitivity == other.Sensitivity && Strength.GetValue() == other.Strength.GetValue() &&
         BackgroundColor == other.BackgroundColor && VolumeColor == other.VolumeColor &&
         LeftColor == other.LeftColor && RightColor == other.RightColor &&
         CursorColor == other.CursorColor;
}
