#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;

// The drawer's content: the palette of the sixteen tools and the eraser.
// It paints nothing of its own; its buttons are laid out by the window.
// From the keyboard, Tab reaches the buttons, Left and Right move across
// them, and Space or Return chooses the focused one.
class MyDrawerView : public QWidget {
    Q_OBJECT

  public:
    explicit MyDrawerView(QWidget* parent = nullptr);

    // The buttons, in the order the arrow keys go through them.
    void setButtons(QList<QAbstractButton*> buttons);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QList<QAbstractButton*> _buttons;
};
