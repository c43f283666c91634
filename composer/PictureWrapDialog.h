#pragma once

#include <QDialog>

class QRadioButton;
class QSpinBox;

// Asks how a picture of the staff is laid out: one strip, or rows of whole
// measures no wider than a width in pixels of the picture the composer
// writes (at kComposerPictureScale).
class PictureWrapDialog : public QDialog {
    Q_OBJECT

  public:
    // The row width in pixels offered when one strip is proposed.
    static constexpr int kDefaultRowWidth = 2048;

    // `wrapWidth` is the proposed answer: 0 for one strip, else a row width
    // in pixels.
    explicit PictureWrapDialog(int wrapWidth, QWidget* parent = nullptr);

    // The answer: 0 for one strip, else the row width in pixels.
    int wrapWidth() const;

    QRadioButton* strip() const { return _strip; }
    QRadioButton* rows() const { return _rows; }
    QSpinBox* rowWidth() const { return _rowWidth; }

  private:
    QRadioButton* _strip;
    QRadioButton* _rows;
    QSpinBox* _rowWidth;
};
