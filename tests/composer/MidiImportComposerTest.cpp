#include "ComposerTestUtil.h"
#include "export/SmfBuilder.h"

#include <QFile>
#include <QPointer>

namespace {

using composertest::ComposerTest;

class Songs : public ComposerTest {
  protected:
    QString writeBytes(const QString& name, const smfbuild::Bytes& bytes) const {
        const QString path = QDir(folder.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<qsizetype>(bytes.size()));
        return path;
    }
};

TEST_F(Songs, ImportOpensAnEditedUntitledDocumentAndReports) {
    smfbuild::Track tune;
    tune.on(0, 0, 61).off(480, 0, 61).on(0, 0, 72).off(480, 0, 72).end();
    const QString path = writeBytes("tune.mid", smfbuild::file(0, 480, {tune}));
    QPointer<OrnWindowController> blank(controller->newDocument());
    dialogs.openPaths = {{path}};
    OrnWindowController* w = controller->importMidi();
    ASSERT_NE(w, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(blank.isNull());
    EXPECT_EQ(w->document()->displayName(), QStringLiteral("tune.mid (imported)"));
    EXPECT_TRUE(w->document()->filePath().isEmpty());
    EXPECT_TRUE(w->document()->isDocumentEdited());
    EXPECT_EQ(w->document()->score().cellAt(0, 0).midiNote, 60);
    EXPECT_EQ(w->document()->score().cellAt(1, 0).midiNote, 72);
    EXPECT_EQ(w->document()->score().end(), 4);
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].title, QStringLiteral("MIDI Import"));
    EXPECT_EQ(dialogs.alerts[0].text, QStringLiteral("tune.mid (imported)"));
    EXPECT_EQ(dialogs.alerts[0].detail,
              QStringLiteral("imported 2 notes (a step is a quarter note)\n"
                             "1 black key moved to the white key below"));
}

TEST_F(Songs, ImportOfABadFileAlertsAndOpensNothing) {
    const QString path = writeBytes("bad.mid", {'R', 'I', 'F', 'F'});
    dialogs.openPaths = {{path}};
    EXPECT_EQ(controller->importMidi(), nullptr);
    EXPECT_TRUE(controller->windows().isEmpty());
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].title, QStringLiteral("Cannot Import"));
    EXPECT_EQ(dialogs.alerts[0].detail,
              path + QStringLiteral(": not a Standard MIDI File (it does not begin with MThd)"));
    dialogs.openPaths = {{}};
    EXPECT_EQ(controller->importMidi(), nullptr);
    EXPECT_EQ(dialogs.alerts.size(), 1u);
}

TEST_F(Songs, MusicXmlExportAndTheMenus) {
    OrnWindowController* w = controller->newDocument();
    for (const char* name : {"actionImportMidi", "actionExportMusicXml"}) {
        ASSERT_NE(action(w, name), nullptr) << name;
        EXPECT_FALSE(action(w, name)->toolTip().isEmpty()) << name;
    }
    w->document()->undoableAddNoteAt(2, 9, 4);
    dialogs.savePaths = {QDir(folder.path()).filePath(QStringLiteral("song"))};
    EXPECT_TRUE(controller->exportMusicXml(w));
    QFile file(QDir(folder.path()).filePath(QStringLiteral("song.musicxml")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("<?xml"));
    EXPECT_TRUE(text.contains("<part-name>Star</part-name>"));
    EXPECT_TRUE(dialogs.alerts.empty());
}

} // namespace
