// The document controller's MIDI import: the file question, the import
// through the same code as the command line, and the report.
#include "common/FileRead.h"
#include "composer/DocumentController.h"
#include "composer/OrnWindowController.h"
#include "document/Dialogs.h"
#include "document/PathBytes.h"
#include "export/MidiImport.h"
#include "export/MidiReader.h"
#include "score/OrnScore.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

OrnWindowController* DocumentController::importMidi() {
    const QStringList paths =
        _dialogs->askOpenPaths(QStringLiteral("Import MIDI"),
                               QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                               QStringLiteral("MIDI files (*.mid *.midi)"));
    OrnWindowController* shown = nullptr;
    for (const QString& path : paths) {
        shown = importMidiFile(path);
    }
    return shown;
}

OrnWindowController* DocumentController::importMidiFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const auto cannot = [this](const std::string& message) {
        _dialogs->alert(QStringLiteral("Cannot Import"), QStringLiteral("Sorry."),
                        zubo::pathText(QByteArray::fromStdString(message)),
                        QStringLiteral("Indeed"));
        return nullptr;
    };
    const std::string bytesPath = zubo::pathBytes(path).toStdString();
    // Never a pipe: the window must not wait on a writer.
    const zubo::FileContents contents =
        zubo::readWholeFile(bytesPath, zubo::kMaxMidiFileBytes, zubo::FileKinds::RegularOnly);
    if (!contents.ok()) {
        const bool tooLarge = contents.error.rfind("larger than ", 0) == 0;
        return cannot(
            bytesPath + ": " +
            (tooLarge ? "not a Standard MIDI File (larger than 16 MiB)" : contents.error));
    }
    const zubo::MidiImportResult imported = zubo::importMidi(contents.bytes);
    if (!imported.ok()) {
        return cannot(bytesPath + ": " + imported.error);
    }
    auto doc = makeDocument();
    const std::vector<std::uint8_t> text = imported.score->data();
    doc->loadDataRepresentation(
        QByteArray(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size())),
        QLatin1String(MyDocument::kOrnFormatType));
    doc->setImportedFrom(name);
    // Unsaved work: edited, with nothing to undo.
    doc->undoStack()->resetClean();
    doc->updateEditedState();
    OrnWindowController* blank = untouchedUntitled();
    OrnWindowController* shown = addWindow(std::move(doc));
    if (blank != nullptr) {
        blank->close();
    }
    QStringList report;
    for (const std::string& line : zubo::importReport(imported.counts)) {
        report << QString::fromStdString(line);
    }
    _dialogs->alert(QStringLiteral("MIDI Import"), shown->document()->displayName(),
                    report.join(QLatin1Char('\n')), QStringLiteral("OK"));
    return shown;
}
