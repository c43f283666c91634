#pragma once

#include <QWidget>

// The drawer's content: the palette of the sixteen tools and the eraser.
// It paints nothing of its own; its buttons are laid out by the window.
class MyDrawerView : public QWidget {
    Q_OBJECT

public:
    explicit MyDrawerView(QWidget* parent = nullptr);

    // The staff view the palette serves (not read; kept as the window's
    // record of which view this drawer belongs to).
    void setOrnView(QWidget* view) { _ornView = view; }

private:
    QWidget* _ornView = nullptr;
};
