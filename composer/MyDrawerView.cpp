#include "composer/MyDrawerView.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace {

bool isPaletteKey(const QKeyEvent* key) {
    const int k = key->key();
    return key->modifiers() == Qt::NoModifier &&
           (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Space || k == Qt::Key_Return ||
            k == Qt::Key_Enter);
}

} // namespace

MyDrawerView::MyDrawerView(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Palette"));
}

void MyDrawerView::setButtons(QList<QAbstractButton*> buttons) {
    _buttons = std::move(buttons);
    for (QAbstractButton* b : _buttons) {
        b->setFocusPolicy(Qt::TabFocus);
        b->installEventFilter(this);
    }
}

bool MyDrawerView::eventFilter(QObject* watched, QEvent* event) {
    const auto index = _buttons.indexOf(qobject_cast<QAbstractButton*>(watched));
    if (index < 0 || (event->type() != QEvent::ShortcutOverride &&
                      event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (!isPaletteKey(key)) {
        return QWidget::eventFilter(watched, event);
    }
    // Space plays and stops everywhere else: on a focused tool it chooses
    // the tool, so the window's shortcut must not take it.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto count = _buttons.size();
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            const auto step = key->key() == Qt::Key_Left ? count - 1 : 1;
            _buttons.at((index + step) % count)->setFocus(Qt::TabFocusReason);
        } else if (!key->isAutoRepeat()) {
            _buttons.at(index)->click();
        }
    }
    return true;
}
