#include "composer/PictureWrapDialog.h"

#include "display/OrnPainter.h"
#include "display/OrnStaffRows.h"
#include "display/PictureExport.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

PictureWrapDialog::PictureWrapDialog(int wrapWidth, QWidget* parent)
    : QDialog(parent), _strip(new QRadioButton(QStringLiteral("&One strip"), this)),
      _rows(new QRadioButton(QStringLiteral("&Rows of whole measures, at most"), this)),
      _rowWidth(new QSpinBox(this)) {
    setWindowTitle(QStringLiteral("Export Picture"));
    _strip->setAccessibleName(QStringLiteral("One strip"));
    _strip->setToolTip(QStringLiteral("The whole staff in one long row"));
    _rows->setAccessibleName(QStringLiteral("Wrapped rows"));
    _rows->setToolTip(
        QStringLiteral("Rows of whole measures stacked like a page, each with its clef"));
    // A row as wide as the whole strip holds every measure; a wider one
    // would change nothing.
    _rowWidth->setRange(kStaffRowMinWidth * zubo::kComposerPictureScale,
                        zubo::pictureMaxWidth() * zubo::kComposerPictureScale);
    _rowWidth->setSingleStep(zubo::kComposerPictureScale * OrnPainter::kStepWidth);
    _rowWidth->setSuffix(QStringLiteral(" pixels wide"));
    _rowWidth->setAccessibleName(QStringLiteral("Row width"));
    _rowWidth->setToolTip(QStringLiteral(
        "The widest a row of the picture may be, in pixels (a step is 64); a measure wider "
        "than this still gets a row of its own"));
    const bool wrapped = wrapWidth > 0;
    _rowWidth->setValue(wrapped ? wrapWidth : kDefaultRowWidth);
    _rowWidth->setEnabled(wrapped);
    (wrapped ? _rows : _strip)->setChecked(true);
    connect(_rows, &QRadioButton::toggled, _rowWidth, &QSpinBox::setEnabled);

    auto* rowsLine = new QHBoxLayout;
    rowsLine->addWidget(_rows);
    rowsLine->addWidget(_rowWidth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("Lay the staff out in:"), this));
    column->addWidget(_strip);
    column->addLayout(rowsLine);
    column->addWidget(buttons);
}

int PictureWrapDialog::wrapWidth() const {
    return _rows->isChecked() ? _rowWidth->value() : 0;
}
