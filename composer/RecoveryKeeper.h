#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

class MyDocument;
class RecoveryStore;

// Keeps one document's unsaved state in the recovery store. A change is
// written at once when the last write is at least `interval` old, else when
// it is; so an edited document is written at most once an interval, and a
// change after a quiet interval at once. The file goes when the document is
// no longer edited (saved, or every edit undone) and when the document is
// closed; a child of the document, it ends with it. A write that fails is
// tried again an interval later, and says so.
class RecoveryKeeper : public QObject {
    Q_OBJECT

public:
    RecoveryKeeper(MyDocument* document, RecoveryStore* store,
                   std::chrono::milliseconds interval);
    ~RecoveryKeeper() override;

    int id() const { return _fileId; }
    // Whether the store holds a file for the document.
    bool kept() const { return _fileExists; }
    // Writes the document's file now if it is edited, without waiting.
    void keepNow();

signals:
    // Each write of the file: the system's reason when it failed, else empty.
    void written(const QString& failure);

private:
    void documentChanged();
    void writeNow();

    MyDocument* _document;
    RecoveryStore* _store;
    int _fileId;
    std::chrono::milliseconds _interval;
    QTimer _timer;
    QElapsedTimer _sinceWrite;
    bool _fileExists = false;
};
