#include "composer/ViewDocumentAdapter.h"

#include "document/MyDocument.h"
#include "document/Preferences.h"

bool ViewDocumentAdapter::isPlaying() const {
    return _document->isPlaying();
}

const OrnScore& ViewDocumentAdapter::score() const {
    return _document->score();
}

void ViewDocumentAdapter::requestAddNoteAt(int step, int note) {
    _document->requestAddNoteAt(step, note);
}

void ViewDocumentAdapter::requestRemoveNoteAt(int step, int note) {
    _document->requestRemoveNoteAt(step, note);
}

void ViewDocumentAdapter::changeInstRelatively(int delta) {
    _document->changeInstRelatively(delta);
}

void ViewDocumentAdapter::dropFile(const QString& path, bool link) {
    _document->dropFile(path, link);
}

int ViewDocumentAdapter::verticalWheelFor() const {
    return _document->preferences()->intValue(QLatin1String(Preferences::kVerticalWheelFor));
}
