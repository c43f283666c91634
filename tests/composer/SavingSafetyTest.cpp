#include "ComposerTestUtil.h"
#include "document/PathBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace {

using Answer = Dialogs::SaveAnswer;
using composertest::ComposerTest;

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

class SavingSafety : public ComposerTest {
  protected:
    QString inFolder(const QString& name) const { return QDir(folder.path()).filePath(name); }
};

TEST_F(SavingSafety, AnExtensionAddedAfterTheDialogAsksBeforeReplacing) {
    using Save = std::function<bool(DocumentController&, OrnWindowController*)>;
    struct Case {
        const char* name;
        QString existing;
        QString suffix;
        Save save;
    };
    const Save saveAs = [](DocumentController& c, OrnWindowController* w) {
        return c.saveDocumentAs(w);
    };
    const Save audio = [](DocumentController& c, OrnWindowController* w) {
        return c.exportAudio(w);
    };
    const Save picture = [](DocumentController& c, OrnWindowController* w) {
        return c.exportPicture(w);
    };
    const Save midi = [](DocumentController& c, OrnWindowController* w) { return c.exportMidi(w); };
    const Save closeQuestion = [this](DocumentController&, OrnWindowController* w) {
        dialogs.saveAnswers = {Answer::Save};
        return w->close();
    };
    const std::vector<Case> cases = {
        {"save as", QStringLiteral("song.orn"), QStringLiteral("orn"), saveAs},
        {"audio", QStringLiteral("song.wav"), QStringLiteral("wav"), audio},
        {"picture", QStringLiteral("song.png"), QStringLiteral("png"), picture},
        {"midi", QStringLiteral("song.mid"), QStringLiteral("mid"), midi},
        {"save from the close question", QStringLiteral("song.orn"), QStringLiteral("orn"),
         closeQuestion},
    };
    const QByteArray before = QByteArrayLiteral("someone else's song");
    for (const Case& c : cases) {
        for (const bool replace : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (replace ? ", replaced" : ", kept"));
            const QString target = inFolder(c.existing);
            put(target, before);
            OrnWindowController* w = controller->newDocument();
            edit(w);
            // The dialog confirmed "song" only: some desktops ignore the default suffix.
            dialogs.savePaths = {inFolder(QStringLiteral("song"))};
            dialogs.proceedAnswers = {replace};
            dialogs.pictureWraps = {0};
            EXPECT_EQ(c.save(*controller, w), replace);
            EXPECT_EQ(dialogs.defaultSuffixes, QStringList{c.suffix});
            EXPECT_EQ(
                dialogs.proceedQuestions,
                QStringList{
                    QStringLiteral("\u201C%1\u201D already exists. Replace it?").arg(c.existing)});
            EXPECT_EQ(dialogs.proceedButtons, QStringList{QStringLiteral("Replace")});
            EXPECT_EQ(contentsOf(target) == before, !replace);
            EXPECT_TRUE(dialogs.proceedAnswers.empty());
            dialogs.proceedQuestions.clear();
            dialogs.proceedButtons.clear();
            dialogs.defaultSuffixes.clear();
            dialogs.pictureWraps.clear();
            TearDown();
            SetUp();
        }
    }
}

TEST_F(SavingSafety, AFileOpenInAnotherWindowIsNotSavedOver) {
    const QString path = writeScore(QStringLiteral("taken.orn"));
    ASSERT_EQ(::symlink(QFile::encodeName(path).constData(),
                        QFile::encodeName(inFolder(QStringLiteral("link.orn"))).constData()),
              0);
    const QByteArray before = contentsOf(path);
    ASSERT_EQ(controller->openFiles({path}).size(), 1);
    const std::vector<QString> answers = {path, inFolder(QStringLiteral("taken")),
                                          folder.path() + QStringLiteral("/./taken.orn"),
                                          inFolder(QStringLiteral("link.orn"))};
    OrnWindowController* other = controller->newDocument();
    edit(other);
    for (const QString& answer : answers) {
        SCOPED_TRACE(answer.toStdString());
        dialogs.savePaths = {answer};
        // No replace question either: the save could not go ahead anyway.
        EXPECT_FALSE(controller->saveDocumentAs(other));
        ASSERT_EQ(dialogs.alerts.size(), 1U);
        EXPECT_EQ(dialogs.alerts[0].title, QStringLiteral("Cannot Save"));
        EXPECT_TRUE(dialogs.alerts[0].detail.contains(QStringLiteral("\u201Ctaken.orn\u201D")));
        EXPECT_TRUE(dialogs.alerts[0].detail.contains(QStringLiteral("open in another window")));
        EXPECT_EQ(contentsOf(path), before);
        EXPECT_TRUE(other->document()->filePath().isEmpty());
        EXPECT_TRUE(other->document()->isDocumentEdited());
        dialogs.alerts.clear();
    }
}

TEST_F(SavingSafety, SavingOverAFileChangedElsewhereAsksFirst) {
    using Change = std::function<void(const QString& path)>;
    struct Case {
        const char* name;
        Change change;
        bool asked;
    };
    const Change nothing = [](const QString&) {};
    const Change rewritten = [](const QString& path) { put(path, "TEMPO=9\r\n"); };
    // The same contents under a new inode, as another program's atomic save leaves it.
    const Change replaced = [](const QString& path) {
        const QByteArray same = contentsOf(path);
        const QString next = path + QStringLiteral(".new");
        put(next, same);
        ASSERT_EQ(
            ::rename(QFile::encodeName(next).constData(), QFile::encodeName(path).constData()), 0);
    };
    const Change touched = [](const QString& path) {
        const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    };
    const std::vector<Case> cases = {
        {"unchanged", nothing, false},
        {"rewritten", rewritten, true},
        {"replaced", replaced, true},
        {"touched", touched, true},
    };
    for (const Case& c : cases) {
        for (const bool save : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (save ? ", saved" : ", cancelled"));
            const QString path = writeScore(QStringLiteral("song.orn"));
            const QList<OrnWindowController*> opened = controller->openFiles({path});
            ASSERT_EQ(opened.size(), 1);
            OrnWindowController* w = opened.front();
            edit(w);
            // A save of its own is not taken for someone else's change.
            EXPECT_TRUE(controller->saveDocument(w));
            w->document()->undoableAddNoteAt(20, 6, 2);
            c.change(path);
            const QByteArray theirs = contentsOf(path);
            if (c.asked) {
                dialogs.proceedAnswers = {save};
            }
            EXPECT_EQ(controller->saveDocument(w), save || !c.asked);
            const QStringList asked =
                c.asked ? QStringList{QStringLiteral("\u201Csong.orn\u201D was changed by another "
                                                     "program. Replace it with this version?")}
                        : QStringList();
            EXPECT_EQ(dialogs.proceedQuestions, asked);
            EXPECT_EQ(dialogs.proceedButtons,
                      c.asked ? QStringList{QStringLiteral("Save")} : QStringList());
            const bool written = save || !c.asked;
            EXPECT_EQ(contentsOf(path) == theirs, !written);
            EXPECT_EQ(w->document()->isDocumentEdited(), !written);
            dialogs.proceedQuestions.clear();
            dialogs.proceedButtons.clear();
            TearDown();
            QFile::remove(path);
            SetUp();
        }
    }
}

} // namespace
