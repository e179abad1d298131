// The part tree is filled with its repaints held back; each fill must let them go again, or the
// dialog goes on showing the tree as it was before.
#include <gtest/gtest.h>

#include <QAction>
#include <QTreeWidget>

#include "muzwindow_fixture.h"
#include "musicui/DMusTree.h"

namespace {

TEST_F(MuzWindowTest, ThePartTreeRepaintsAfterEveryFill) {
  TMDIChildMuz* window = Open(NewScore(1));
  TDlgMusTree dialog(form.get());
  dialog.show();
  dialog.SetUnitMuz(window);
  ASSERT_EQ(dialog.tvMusParts->topLevelItemCount(), 1);
  EXPECT_TRUE(dialog.tvMusParts->updatesEnabled());
  dialog.tvMusParts->setCurrentItem(dialog.tvMusParts->topLevelItem(0));
  dialog.cmdAddLoop->trigger();
  EXPECT_EQ(dialog.tvMusParts->topLevelItem(0)->childCount(), 1);
  EXPECT_TRUE(dialog.tvMusParts->updatesEnabled());
  dialog.SetUnitMuz(nullptr);
  EXPECT_TRUE(dialog.tvMusParts->updatesEnabled());
}

}  // namespace
