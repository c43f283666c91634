#pragma once

#include <QWidget>

// The drawer's content: the palette of the sixteen tools and the eraser.
// It paints nothing of its own; its buttons are laid out by the window.
class MyDrawerView : public QWidget {
    Q_OBJECT

public:
    explicit MyDrawerView(QWidget* parent = nullptr);
};
