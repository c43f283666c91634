// The document controller's exports: the path question, and the audio,
// picture and MIDI writers run on the window's score.
#include "app/DocumentController.h"

#include "app/OrnWindowController.h"
#include "app/PictureExport.h"
#include "document/Dialogs.h"
#include "document/ExportSettings.h"
#include "document/PathBytes.h"
#include "document/SaveTarget.h"
#include "export/AudioExport.h"
#include "export/MidiExport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>

#include <sstream>

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

bool DocumentController::exportSound(OrnWindowController* window, const QString& title,
                                     const QString& extension, const QString& filter,
                                     bool (*known)(const std::string& path),
                                     SoundExporter exporter) {
    const QString path = askExportPath(window, title, extension, filter, known);
    if (path.isEmpty()) {
        return false;
    }
    const zubo::AudioExportOptions options = zubo::withExportSettings({}, *_preferences);
    return writeExport(window, path,
                       [&](const std::string& out, std::ostream& err, std::istream& in) {
                           return exporter("-", out, options, err, in);
                       });
}

bool DocumentController::exportAudio(OrnWindowController* window) {
    return exportSound(window, QStringLiteral("Export Audio"), QStringLiteral(".wav"),
                       QStringLiteral("Audio (*.wav *.flac *.ogg)"), zubo::isAudioExportPath,
                       zubo::exportAudio);
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
    return writeExport(
        window, path, [wrap](const std::string& out, std::ostream& err, std::istream& in) {
            return zubo::exportScorePicture("-", out, zubo::kComposerPictureScale, wrap, err, in);
        });
}

bool DocumentController::exportMidi(OrnWindowController* window) {
    return exportSound(window, QStringLiteral("Export MIDI"), QStringLiteral(".mid"),
                       QStringLiteral("MIDI files (*.mid)"), zubo::isMidiExportPath,
                       zubo::exportMidi);
}

bool DocumentController::writeExport(OrnWindowController* window, const QString& path,
                                     const ExportWriter& write) {
    // The same writers as the command line, fed the score's text.
    std::istringstream in(window->document()->score().toString());
    std::ostringstream err;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const int status = write(zubo::pathBytes(path).toStdString(), err, in);
    QGuiApplication::restoreOverrideCursor();
    if (status != 0) {
        _dialogs->alert(QStringLiteral("Cannot Export"), QStringLiteral("Sorry."),
                        QString::fromStdString(err.str()).trimmed(), QStringLiteral("Indeed"));
        return false;
    }
    window->statusBar()->showMessage(QStringLiteral("Exported %1").arg(QFileInfo(path).fileName()),
                                     5000);
    return true;
}
