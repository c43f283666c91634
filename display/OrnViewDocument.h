#pragma once

#include <QString>

class OrnScore;

// What the staff view needs of its document, and no more: the score to paint,
// whether it plays (all input is ignored then), the two edit requests of a
// click, the wheel's tool change, a dropped file, and the "verticalWheelFor"
// preference. The composer's window adapts its document to it; the view's
// tests use a fake.
class OrnViewDocument {
public:
    virtual ~OrnViewDocument() = default;

    virtual bool isPlaying() const = 0;
    // The current score; a reference valid until the document replaces its
    // score, so the view asks again at every paint and never keeps it.
    virtual const OrnScore& score() const = 0;
    virtual void requestAddNoteAt(int step, int note) = 0;
    virtual void requestRemoveNoteAt(int step, int note) = 0;
    virtual void changeInstRelatively(int delta) = 0;
    virtual void dropFile(const QString& path, bool link) = 0;
    // The "verticalWheelFor" preference: 0 scrolls, any other value chooses
    // the instrument.
    virtual int verticalWheelFor() const = 0;
};
