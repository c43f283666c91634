#include "composer/MyDrawerView.h"

MyDrawerView::MyDrawerView(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Palette"));
}
