// The document controller's exports: the path question, and the audio,
// picture, MIDI and MusicXML writers run on the window's score.
#include "composer/DocumentController.h"

#include "composer/OrnWindowController.h"
#include "display/PictureExport.h"
#include "document/Dialogs.h"
#include "document/ExportSettings.h"
#include "document/PathBytes.h"
#include "document/SaveTarget.h"
#include "export/AudioExport.h"
#include "export/MidiExport.h"
#include "export/MusicXmlExport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>

namespace {

// The last layout of an exported picture: 0 one strip, else the row width
// in pixels of the picture. It lives with the preferences.
const char* const kPictureWrapKey = "pictureWrapPixels";
const QString kOrganisation = QStringLiteral("Zubo");
const QString kApplication = QStringLiteral("Zubo Sequencer");

} // namespace

QString DocumentController::askExportPath(OrnWindowController* window, const QString& title,
                                          const QString& extension, const QString& filter,
                                          bool (*known)(const std::string& path)) {
    window->commitTempo();
    MyDocument* doc = window->document();
    const QFileInfo info(doc->filePath());
    const QString folder =
        doc->filePath().isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : info.absolutePath();
    const QString base = doc->filePath().isEmpty() ? doc->displayName() : info.completeBaseName();
    const QString confirmed = _dialogs->askSavePath(title, QDir(folder).filePath(base + extension),
                                                    filter, extension.mid(1));
    if (confirmed.isEmpty() || known(zubo::pathBytes(confirmed).toStdString())) {
        return confirmed;
    }
    const QString path = confirmed + extension;
    return zubo::mayReplaceFinalName(*_dialogs, confirmed, path) ? path : QString();
}

bool DocumentController::exportAudio(OrnWindowController* window) {
    const QString path =
        askExportPath(window, QStringLiteral("Export Audio"), QStringLiteral(".wav"),
                      QStringLiteral("Audio (*.wav *.flac *.ogg)"), zubo::isAudioExportPath);
    if (path.isEmpty()) {
        return false;
    }
    const zubo::AudioExportOptions options = zubo::withExportSettings({}, *_preferences);
    return writeExport(window, path, [&](const OrnScore& score, const std::string& out) {
        return zubo::exportAudio(score, out, options);
    });
}

bool DocumentController::exportPicture(OrnWindowController* window) {
    const QString path =
        askExportPath(window, QStringLiteral("Export Picture"), QStringLiteral(".png"),
                      QStringLiteral("PNG pictures (*.png)"), [](const std::string& name) {
                          return QFileInfo(QString::fromStdString(name))
                                     .suffix()
                                     .compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
                      });
    if (path.isEmpty()) {
        return false;
    }
    QSettings settings(kOrganisation, kApplication);
    const std::optional<int> pixels =
        _dialogs->askPictureWrap(settings.value(QLatin1String(kPictureWrapKey), 0).toInt());
    if (!pixels) {
        return false;
    }
    settings.setValue(QLatin1String(kPictureWrapKey), *pixels);
    const int wrap = *pixels / zubo::kComposerPictureScale;
    return writeExport(window, path, [wrap](const OrnScore& score, const std::string& out) {
        return zubo::exportScorePicture(score, out, zubo::kComposerPictureScale, wrap);
    });
}

bool DocumentController::exportMidi(OrnWindowController* window) {
    const QString path =
        askExportPath(window, QStringLiteral("Export MIDI"), QStringLiteral(".mid"),
                      QStringLiteral("MIDI files (*.mid)"), zubo::isMidiExportPath);
    if (path.isEmpty()) {
        return false;
    }
    const zubo::MidiExportOptions options =
        zubo::midiExportOptions(zubo::withExportSettings({}, *_preferences));
    return writeExport(window, path, [&](const OrnScore& score, const std::string& out) {
        return zubo::exportMidi(score, out, options);
    });
}

bool DocumentController::exportMusicXml(OrnWindowController* window) {
    const QString path =
        askExportPath(window, QStringLiteral("Export MusicXML"), QStringLiteral(".musicxml"),
                      QStringLiteral("MusicXML files (*.musicxml)"), zubo::isMusicXmlExportPath);
    if (path.isEmpty()) {
        return false;
    }
    return writeExport(window, path, [](const OrnScore& score, const std::string& out) {
        return zubo::exportMusicXml(score, out);
    });
}

bool DocumentController::writeExport(OrnWindowController* window, const QString& path,
                                     const ExportWriter& write) {
    // The same writers as the command line, given the score as it stands.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const zubo::ExportResult result =
        write(window->document()->score(), zubo::pathBytes(path).toStdString());
    QGuiApplication::restoreOverrideCursor();
    if (!result.ok()) {
        _dialogs->alert(QStringLiteral("Cannot Export"), QStringLiteral("Sorry."),
                        zubo::pathText(QByteArray::fromStdString(result.message)),
                        QStringLiteral("Indeed"));
        return false;
    }
    window->showStatus(QStringLiteral("Exported %1").arg(QFileInfo(path).fileName()));
    return true;
}
