#pragma once

#include "display/OrnViewDocument.h"

class MyDocument;

// The staff view's narrow view of a document.
class ViewDocumentAdapter : public OrnViewDocument {
public:
    explicit ViewDocumentAdapter(MyDocument* document) : _document(document) {}

    bool isPlaying() const override;
    const OrnScore& score() const override;
    void requestAddNoteAt(int step, int note) override;
    void requestRemoveNoteAt(int step, int note) override;
    void changeInstRelatively(int delta) override;
    void dropFile(const QString& path, bool link) override;
    int verticalWheelFor() const override;

private:
    MyDocument* _document;
};
