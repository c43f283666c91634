#include "composer/RecoveryKeeper.h"

#include "composer/RecoveryStore.h"
#include "document/MyDocument.h"

#include <vector>

RecoveryKeeper::RecoveryKeeper(MyDocument* document, RecoveryStore* store,
                               std::chrono::milliseconds interval)
    : QObject(document), _document(document), _store(store), _fileId(store->newId()),
      _interval(interval) {
    _timer.setSingleShot(true);
    connect(&_timer, &QTimer::timeout, this, &RecoveryKeeper::writeNow);
    connect(document, &MyDocument::documentChanged, this, &RecoveryKeeper::documentChanged);
    // A document that comes in edited (a restored one) is kept at once.
    documentChanged();
}

RecoveryKeeper::~RecoveryKeeper() {
    if (_fileExists) {
        _store->remove(_fileId);
    }
}

void RecoveryKeeper::documentChanged() {
    if (!_document->isDocumentEdited()) {
        _timer.stop();
        if (_fileExists) {
            _store->remove(_fileId);
            _fileExists = false;
        }
        return;
    }
    if (_timer.isActive()) {
        return;
    }
    const auto since = std::chrono::milliseconds(_sinceWrite.isValid() ? _sinceWrite.elapsed() : 0);
    if (!_sinceWrite.isValid() || since >= _interval) {
        writeNow();
    } else {
        _timer.start(_interval - since);
    }
}

void RecoveryKeeper::keepNow() {
    _timer.stop();
    writeNow();
}

void RecoveryKeeper::writeNow() {
    if (!_document->isDocumentEdited() || !_store->isOpen()) {
        return;
    }
    const QString path = _document->filePath();
    // The full path, so that a restored document proposes to be saved where
    // it was.
    const QString name = !path.isEmpty()                         ? path
                         : !_document->recoveredFrom().isEmpty() ? _document->recoveredFrom()
                                                                 : _document->displayName();
    const std::vector<std::uint8_t> text = _document->score().data();
    const bool ok = _store->write(_fileId, name,
                                  QByteArray(reinterpret_cast<const char*>(text.data()),
                                             static_cast<qsizetype>(text.size())));
    _fileExists = ok || _fileExists;
    _sinceWrite.restart();
    if (!ok) {
        _timer.start(_interval);
    }
    emit written(ok ? QString() : _store->writeError());
}
