#pragma once

#include "document/MyDocumentOutlets.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QImage;
class QMainWindow;
class QStatusBar;
class QToolBar;
class QWidget;

namespace zubo {

// Whether a toggle's picture shows it on (Play while playing, Loop on, the
// measure chosen, the eraser on); nullopt for the buttons that are no toggles.
std::optional<bool> shownOn(MyDocumentOutlets::Button which, const QImage* image);

// The current-tool button's name for the tool its picture shows: "Tool: Star",
// "Tool: Eraser".
QString currentToolName(const QImage* image);

// Names the button Qt adds to a tool bar too narrow for its controls.
void nameOverflowButton(QToolBar* bar);

// The status bar is named by the message it shows ("Status" when none), so a
// screen reader reads it and hears each new one.
void nameByMessage(QStatusBar* bar);

// One stop of the F6 ring: the part of the window, and the control in it that
// takes the focus (nullptr while the part cannot, such as a closed palette).
struct FocusStop {
    QWidget* area;
    std::function<QWidget*()> target;
};
// F6 moves the focus to the next stop, Shift+F6 to the one before.
void addFocusRing(QMainWindow* window, std::vector<FocusStop> stops);

} // namespace zubo
