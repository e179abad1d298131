// Actions made from their table rows: what menus, tool tips and the status bar show of them.
#include "gui/actions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QObject>

TEST(Actions, ARowBecomesAnActionWithItsShortcutHintsAndState) {
  struct Case {
    ActionSpec spec;
    const char *shortcut, *tip, *status;
    bool checkable, checked, enabled, visible, icon;
  };
  const Case cases[] = {
      {{"aMix", "&Mix", "M", "Mix|Mixes two sounds", "", kActionEnabled}, "M", "Mix", "Mixes two sounds",
       false, false, true, true, false},
      {{"aLoop", "&Loop", "", "Plays on", "Lp", kActionChecked | kActionHidden}, "", "Plays on", "Plays on",
       true, true, false, false, true},
      {{"aZoom", "&Zoom", "Shift+Ctrl+Z", "|Zooms in", "play", kActionCheckable | kActionEnabled},
       "Ctrl+Shift+Z", "Zoom", "Zooms in", true, false, true, true, true},
  };
  QObject owner;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec.name);
    const QAction* action = MakeAction(&owner, c.spec, 3);
    EXPECT_EQ(std::tuple(action->objectName().toStdString(), action->text().toStdString(),
                         action->shortcut().toString(QKeySequence::PortableText).toStdString(),
                         action->toolTip().toStdString(), action->statusTip().toStdString()),
              std::tuple(std::string(c.spec.name), std::string(c.spec.caption), std::string(c.shortcut),
                         std::string(c.tip), std::string(c.status)));
    EXPECT_EQ((std::vector<bool>{action->isCheckable(), action->isChecked(), action->isEnabled(),
                                 action->isVisible(), !action->icon().isNull()}),
              (std::vector<bool>{c.checkable, c.checked, c.enabled, c.visible, c.icon}));
    // A shortcut works wherever the focus is, also while a modeless dialog is active.
    EXPECT_EQ(action->shortcutContext() == Qt::ApplicationShortcut, c.shortcut[0] != '\0');
  }
}
