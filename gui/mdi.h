// Arranging the document windows of an MDI frame, as the frame's Window menu does.
#pragma once

class QMdiArea;
class QMdiSubWindow;

// Shows the area's scroll bars while a window reaches beyond it, so every part of every window
// can be scrolled into view.
void ScrollToWindowsBeyond(QMdiArea& area);
// Scrolls the area so that `window` lies inside it, or at least its top left corner with the
// title bar where the window is larger than the area.
void ScrollIntoView(QMdiArea& area, QMdiSubWindow& window);
void CascadeWindows(QMdiArea& area);
// Horizontally: one above the other, each as wide as the frame; vertically: side by side.
void TileWindows(QMdiArea& area, bool horizontally);
void MinimizeAllWindows(QMdiArea& area);
// Lines the minimised windows up along the bottom edge, from the left.
void ArrangeIcons(QMdiArea& area);

class QMenu;

// Keeps the open document windows listed at the end of `menu` ("&1 caption", the active one
// checked); choosing an entry activates its window. The list is rebuilt each time the menu opens.
void ListWindowsInMenu(QMenu& menu, QMdiArea& area);
// The rebuilding step itself.
void RefreshWindowList(QMenu& menu, QMdiArea& area);
