#include "composer/WindowAccessibility.h"

#include "composer/OrnWindowController.h"
#include "display/MyIcons.h"

#include <QApplication>
#include <QMainWindow>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace zubo {

namespace {

constexpr int kEraserIcon = 16;

void moveFocus(const std::vector<FocusStop>& stops, int direction) {
    const QWidget* focus = QApplication::focusWidget();
    const int count = static_cast<int>(stops.size());
    int at = -1;
    for (int i = 0; i < count && at < 0; ++i) {
        const QWidget* area = stops[static_cast<std::size_t>(i)].area;
        if (focus != nullptr && (focus == area || area->isAncestorOf(focus))) {
            at = i;
        }
    }
    // From outside every stop, F6 goes to the first and Shift+F6 to the last.
    const int start = at < 0 ? (direction > 0 ? count - 1 : 0) : at;
    for (int k = 1; k <= count; ++k) {
        const int i = ((start + direction * k) % count + count) % count;
        QWidget* target = stops[static_cast<std::size_t>(i)].target();
        if (target != nullptr && target->isVisible() && target->isEnabled()) {
            target->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

} // namespace

std::optional<bool> shownOn(MyDocumentOutlets::Button which, const QImage* image) {
    using Button = MyDocumentOutlets::Button;
    const MyIcons* icons = MyIcons::myIcons();
    if (icons == nullptr || image == nullptr) {
        return std::nullopt;
    }
    switch (which) {
    case Button::Play:
        return image == icons->getPlayIcon(true);
    case Button::Stop:
        return image == icons->getStopIcon(true);
    case Button::Loop:
        return image == icons->getLoopIcon(true);
    case Button::Measure3:
        return image == icons->getMeasure3Icon(true);
    case Button::Measure4:
        return image == icons->getMeasure4Icon(true);
    case Button::Erase:
        return image == icons->getEraseIcon(true);
    default:
        return std::nullopt;
    }
}

QString currentToolName(const QImage* image) {
    const MyIcons* icons = MyIcons::myIcons();
    const int index = icons != nullptr ? icons->iconIndex(image) : -1;
    if (index == kEraserIcon) {
        return QStringLiteral("Tool: Eraser");
    }
    return index >= 0 && index < toolNames().size()
               ? QStringLiteral("Tool: ") + toolNames().at(index)
               : QStringLiteral("Current tool");
}

void nameOverflowButton(QToolBar* bar) {
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(QStringLiteral("More controls"));
        more->setToolTip(QStringLiteral("The controls the window is too narrow to show"));
    }
}

void nameByMessage(QStatusBar* bar) {
    bar->setAccessibleName(QStringLiteral("Status"));
    QObject::connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        bar->setAccessibleName(message.isEmpty() ? QStringLiteral("Status") : message);
    });
}

void addFocusRing(QMainWindow* window, std::vector<FocusStop> stops) {
    auto* next = new QShortcut(QKeySequence(Qt::Key_F6), window);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), window);
    next->setWhatsThis(QStringLiteral("Focus to the tool bar, the staff or the palette"));
    previous->setWhatsThis(QStringLiteral("Focus back the other way"));
    QObject::connect(next, &QShortcut::activated, window, [stops] { moveFocus(stops, 1); });
    QObject::connect(previous, &QShortcut::activated, window,
                     [stops = std::move(stops)] { moveFocus(stops, -1); });
}

} // namespace zubo
