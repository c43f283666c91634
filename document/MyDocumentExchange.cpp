#include "common/AtomicFile.h"
#include "common/FileRead.h"
#include "common/Log.h"
#include "common/SystemError.h"
#include "document/Dialogs.h"
#include "document/MyDocument.h"
#include "document/PathBytes.h"
#include "document/SaveTarget.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QStandardPaths>
#include <cerrno>
#include <set>
#include <span>
#include <sys/stat.h>

namespace {

int g_untitledCount = 0;

bool isKnownType(const QString& type) {
    return type == QLatin1String(MyDocument::kOrnFormatType) ||
           type == QLatin1String(MyDocument::kPlainTextType);
}

QString quoted(const QString& name) {
    return QStringLiteral("\u201C%1\u201D").arg(name);
}

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

void showAlert(Dialogs* dialogs, const QString& title, const QString& detail) {
    if (dialogs == nullptr) {
        zuboLog("%s: %s", qUtf8Printable(title), qUtf8Printable(detail));
        return;
    }
    dialogs->alert(title, QStringLiteral("Sorry."), detail, QStringLiteral("Indeed"));
}

std::span<const std::uint8_t> bytesOf(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

// The score's full text, as a file holds it.
QByteArray fullText(const OrnScore& score) {
    const std::vector<std::uint8_t> data = score.data();
    return QByteArray(reinterpret_cast<const char*>(data.data()),
                      static_cast<qsizetype>(data.size()));
}

// Reads a whole regular file of at most `maxBytes`; never blocks on a FIFO
// or a device.
bool readFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* error) {
    const zubo::FileContents file =
        zubo::readWholeFile(zubo::pathBytes(path).toStdString(), static_cast<std::size_t>(maxBytes),
                            zubo::FileKinds::RegularOnly);
    if (!file.ok()) {
        *error = QString::fromStdString(file.error);
        return false;
    }
    *data = QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                       static_cast<qsizetype>(file.bytes.size()));
    return true;
}

// Replaces the file at `path` atomically: a failed write leaves the old
// file as it was.
bool writeFile(const QString& path, const QByteArray& data, QString* error) {
    const std::string reason = zubo::writeFileAtomically(
        zubo::pathBytes(path).toStdString(),
        std::span<const char>(data.constData(), static_cast<std::size_t>(data.size())));
    *error = QString::fromLocal8Bit(reason);
    return reason.empty();
}

} // namespace

QClipboard* MyDocument::systemClipboard() {
    // Headless runs (the command line) have no clipboard.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return nullptr;
    }
    return QGuiApplication::clipboard();
}

std::vector<MyDocument*>& MyDocument::liveDocuments() {
    static std::vector<MyDocument*> documents;
    return documents;
}

void MyDocument::setFilePath(const QString& path) {
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    _seenFile = absolute.isEmpty() ? std::nullopt : zubo::fileStamp(absolute);
    if (absolute == _filePath) {
        return;
    }
    _filePath = absolute;
    emit filePathChanged(_filePath);
}

QString MyDocument::displayName() const {
    if (!_filePath.isEmpty()) {
        return fileNameOf(_filePath);
    }
    if (!_recoveredFrom.isEmpty()) {
        const QString name = fileNameOf(_recoveredFrom);
        return _recoveredNumber <= 1
                   ? QStringLiteral("%1 (recovered)").arg(name)
                   : QStringLiteral("%1 (recovered %2)").arg(name).arg(_recoveredNumber);
    }
    if (!_importedFrom.isEmpty()) {
        return QStringLiteral("%1 (imported)").arg(_importedFrom);
    }
    if (_untitledNumber == 0) {
        _untitledNumber = ++g_untitledCount;
    }
    return _untitledNumber == 1 ? QStringLiteral("Untitled")
                                : QStringLiteral("Untitled %1").arg(_untitledNumber);
}

void MyDocument::setRecoveredFrom(const QString& name) {
    _recoveredFrom = name;
    // The lowest number no other untitled restored document of that name has.
    std::set<int> taken;
    for (const MyDocument* other : liveDocuments()) {
        if (other != this && other->_filePath.isEmpty() && !other->_recoveredFrom.isEmpty() &&
            fileNameOf(other->_recoveredFrom) == fileNameOf(name)) {
            taken.insert(other->_recoveredNumber);
        }
    }
    _recoveredNumber = name.isEmpty() ? 0 : 1;
    while (_recoveredNumber > 0 && taken.contains(_recoveredNumber)) {
        ++_recoveredNumber;
    }
    emit filePathChanged(_filePath);
}

MyDocument* MyDocument::documentForPath(const QString& path) {
    const QString canonical = zubo::canonicalPath(path);
    if (canonical.isEmpty()) {
        return nullptr;
    }
    for (MyDocument* document : liveDocuments()) {
        if (!document->_filePath.isEmpty() &&
            zubo::canonicalPath(document->_filePath) == canonical) {
            return document;
        }
    }
    return nullptr;
}

std::unique_ptr<MyDocument> MyDocument::openPath(const QString& path, Preferences* preferences,
                                                 Dialogs* dialogs) {
    QByteArray data;
    QString error;
    if (!readFile(path, kMaxTextBytes, &data, &error)) {
        showAlert(dialogs, QStringLiteral("Cannot Read"),
                  QStringLiteral("%1: %2.").arg(quoted(fileNameOf(path)), error));
        return nullptr;
    }
    auto document = std::make_unique<MyDocument>(preferences);
    document->setDialogs(dialogs);
    if (!document->loadDataRepresentation(data, QLatin1String(kOrnFormatType))) {
        showAlert(dialogs, QStringLiteral("Unknown Format"),
                  QStringLiteral("%1 is not a score.").arg(quoted(fileNameOf(path))));
        return nullptr;
    }
    document->setFilePath(path);
    return document;
}

void MyDocument::alert(const QString& title, const QString& detail) {
    showAlert(_dialogs, title, detail);
}

QByteArray MyDocument::dataRepresentationOfType(const QString& type) {
    if (!isKnownType(type)) {
        return {};
    }
    storeOrigStatus();
    updateEditedState();
    return fullText(*_score);
}

bool MyDocument::loadDataRepresentation(const QByteArray& data, const QString& type) {
    if (!isKnownType(type)) {
        return false;
    }
    auto score = std::make_unique<OrnScore>(bytesOf(data));
    if (!score->isValid()) {
        return false;
    }
    replaceScore(std::move(score));
    emit redrawRequested();
    emit scrollRequested(0.0f, true);
    return true;
}

void MyDocument::copy() {
    if (QClipboard* board = systemClipboard()) {
        board->setText(QString::fromStdString(_score->toString()));
    }
}

void MyDocument::paste() {
    QClipboard* board = systemClipboard();
    const QMimeData* mime = board != nullptr ? board->mimeData() : nullptr;
    if (mime == nullptr || !mime->hasText() || mime->text().isEmpty()) {
        return;
    }
    const QString text = mime->text();
    // A text too long for a score is refused before it is even converted.
    QByteArray data;
    if (text.size() <= kMaxTextBytes) {
        data = text.toUtf8();
    }
    std::unique_ptr<OrnScore> song;
    if (!data.isEmpty() && data.size() <= kMaxTextBytes) {
        song = std::make_unique<OrnScore>(bytesOf(data));
    }
    if (song == nullptr || !song->isValid()) {
        alert(QStringLiteral("Unknown Format"),
              QStringLiteral("The clipboard does not hold a score."));
        return;
    }
    pushSong(*song);
    startPlaying();
}

void MyDocument::dropFile(const QString& path, bool link) {
    _dropFileName = path;
    _dropForLink = link;
    dropCallback(isDocumentEdited() ? canCloseDocument() : true);
}

void MyDocument::dropCallback(bool shouldClose) {
    const QString path = _dropFileName;
    const bool link = _dropForLink;
    _dropFileName.clear();
    _dropForLink = false;
    if (!shouldClose) {
        return;
    }
    const QString name = quoted(fileNameOf(path));
    // Links are followed; a broken link, a link loop or an unreadable folder
    // on the way each gets its own reason.
    struct stat status {};
    if (::stat(zubo::pathBytes(path).constData(), &status) != 0) {
        const QString reason = QString::fromStdString(zubo::fileReason(errno));
        alert(QStringLiteral("Cannot Read"), QStringLiteral("%1: %2.").arg(name, reason));
        return;
    }
    const QFileInfo info(path);
    // Only a regular file is ever opened: folders, FIFOs and devices count
    // as empty.
    const qint64 size = S_ISREG(status.st_mode) ? status.st_size : 0;
    if (size <= 0 || size > kMaxDropBytes) {
        alert(QStringLiteral("Unknown Format"),
              QStringLiteral("%1 is not a score of 1 to %2 bytes.").arg(name).arg(kMaxDropBytes));
        return;
    }
    QByteArray data;
    QString error;
    if (!readFile(path, kMaxDropBytes, &data, &error)) {
        alert(QStringLiteral("Cannot Read"), QStringLiteral("%1: %2.").arg(name, error));
        return;
    }
    if (!loadDataRepresentation(data, QLatin1String(kPlainTextType))) {
        alert(QStringLiteral("Unknown Format"), QStringLiteral("%1 is not a score.").arg(name));
        return;
    }
    // One file is never open in two documents: a link to a file open in
    // another one is dropped as a copy.
    const MyDocument* holder = link ? documentForPath(path) : nullptr;
    if (link && (holder == nullptr || holder == this)) {
        setFilePath(info.absoluteFilePath());
        _undoStack.setClean();
    } else {
        setFilePath(QString());
    }
    updateEditedState();
    startPlaying();
}

bool MyDocument::canCloseDocument(QWidget* window) {
    if (!isDocumentEdited()) {
        return true;
    }
    if (_dialogs == nullptr) {
        return false;
    }
    switch (_dialogs->askSaveChanges(displayName(), window)) {
    case Dialogs::SaveAnswer::Save:
        return save();
    case Dialogs::SaveAnswer::DontSave:
        return true;
    case Dialogs::SaveAnswer::Cancel:
        break;
    }
    return false;
}

bool MyDocument::save() {
    return _filePath.isEmpty() ? saveAs() : saveToPath(_filePath);
}

bool MyDocument::saveAs() {
    if (_dialogs == nullptr) {
        return false;
    }
    // A restored document proposes its original's path, or its name in the
    // documents folder when it had none.
    const QString name = _recoveredFrom.isEmpty() ? displayName() : _recoveredFrom;
    const QString full =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name);
    const QString suggested = !_filePath.isEmpty()                 ? _filePath
                              : QFileInfo(full).suffix().isEmpty() ? full + QStringLiteral(".orn")
                                                                   : full;
    const QString confirmed =
        _dialogs->askSavePath(QStringLiteral("Save As"), suggested,
                              QStringLiteral("Zubo scores (*.orn)"), QStringLiteral("orn"));
    if (confirmed.isEmpty()) {
        return false;
    }
    // Some desktops' file dialogs leave the extension to the user.
    QString path = confirmed;
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".orn");
    }
    // Refused before any question about replacing what it could not save over.
    if (refuseFileOfAnother(path) || !zubo::mayReplaceFinalName(*_dialogs, confirmed, path)) {
        return false;
    }
    return saveToPath(path);
}

bool MyDocument::refuseFileOfAnother(const QString& path) {
    const MyDocument* holder = documentForPath(path);
    if (holder == nullptr || holder == this) {
        return false;
    }
    // Two documents on one file would each overwrite the other's work.
    alert(QStringLiteral("Cannot Save"),
          QStringLiteral("%1 is open in another window. Close it there first to save over it.")
              .arg(quoted(fileNameOf(holder->_filePath))));
    return true;
}

bool MyDocument::mayReplaceChangedFile(const QString& path) {
    if (!_seenFile || QFileInfo(path).absoluteFilePath() != _filePath) {
        return true;
    }
    const std::optional<zubo::FileStamp> now = zubo::fileStamp(path);
    if (!now || *now == *_seenFile) {
        return true;
    }
    return _dialogs != nullptr &&
           _dialogs->askToProceed(QStringLiteral("%1 was changed by another program. Replace it "
                                                 "with this version?")
                                      .arg(quoted(fileNameOf(path))),
                                  QStringLiteral("Save"));
}

bool MyDocument::saveToPath(const QString& path) {
    // The saved state is stored only once the file is written, so that a
    // failed save never shows the document as saved, not even for a moment.
    if (refuseFileOfAnother(path) || !mayReplaceChangedFile(path)) {
        return false;
    }
    const QByteArray data = fullText(*_score);
    QString error;
    if (!writeFile(path, data, &error)) {
        alert(QStringLiteral("Cannot Save"),
              QStringLiteral("%1 could not be saved: %2.").arg(quoted(fileNameOf(path)), error));
        return false;
    }
    storeOrigStatus();
    setFilePath(path);
    _undoStack.setClean();
    updateEditedState();
    return true;
}
