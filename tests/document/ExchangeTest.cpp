// Open, save, copy, paste and file drop, with the alerts and the save-changes
// question answered by a script.
#include "ScriptedDialogs.h"
#include "document/DocumentTestUtil.h"
#include "document/MyDocument.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using doctest::DocumentTest;
using Answer = Dialogs::SaveAnswer;

QByteArray bytesOf(const std::vector<std::uint8_t>& data) {
    return QByteArray(reinterpret_cast<const char*>(data.data()),
                      static_cast<qsizetype>(data.size()));
}

// A score with notes at steps 0, 50 and 200 and an end mark of 90: its short
// form drops step 200.
std::unique_ptr<OrnScore> sampleScore() {
    auto score = std::make_unique<OrnScore>();
    score->addNoteAt(0, 5, 2);
    score->addNoteAt(50, 1, 15);
    score->addNoteAt(200, 13, 7);
    score->setEnd(90);
    score->setTempo(133);
    score->setLoop(true);
    return score;
}

class Exchange : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doctest::application();
        ASSERT_TRUE(dir.isValid());
        doc = makeDocument();
    }

    std::unique_ptr<MyDocument> makeDocument() {
        auto d = std::make_unique<MyDocument>(&prefs);
        d->setDialogs(&dialogs);
        return d;
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    static void writeFile(const QString& name, const QByteArray& data) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(data), data.size());
    }

    static QByteArray readFile(const QString& name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }

    // A valid score text padded with an unknown line to exactly `size` bytes.
    static QByteArray scoreOfSize(qsizetype size) {
        QByteArray text = bytesOf(sampleScore()->data());
        text += '#';
        text += QByteArray(size - text.size(), 'x');
        return text;
    }

    QStringList alertTitles() const {
        QStringList titles;
        for (const auto& a : dialogs.alerts) {
            titles << a.title;
            EXPECT_EQ(a.text, "Sorry.");
            EXPECT_EQ(a.button, "Indeed");
        }
        return titles;
    }

    void makeEdited() {
        doc->undoableAddNoteAt(7, 7, 7);
        ASSERT_TRUE(doc->isDocumentEdited());
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<MyDocument> doc;
};

TEST_F(Exchange, CopyPasteRefusalsAndTheSaveQuestion) {
    // A score on the clipboard comes from copy.
    const QString score = QStringLiteral("(copied)");
    struct Case {
        const char* name;
        bool hasText;
        QString text;
        bool edited;
        std::deque<Answer> answers;
        std::deque<QString> savePaths;
        bool replaced;
        QStringList alerts;
    } const cases[] = {
        {"not a score", true, "hello", false, {}, {}, false, {"Unknown Format"}},
        {"empty text", true, "", false, {}, {}, false, {"Unknown Format"}},
        {"over 1 MiB",
         true,
         score + QString(1 << 20, QLatin1Char('x')),
         false,
         {},
         {},
         false,
         {"Unknown Format"}},
        {"no text", false, "", false, {}, {}, false, {}},
        {"copied", true, score, false, {}, {}, true, {}},
        {"edited, cancelled", true, score, true, {Answer::Cancel}, {}, false, {}},
        {"edited, save path cancelled", true, score, true, {Answer::Save}, {""}, false, {}},
        {"edited, not saved", true, score, true, {Answer::DontSave}, {}, true, {}},
        {"edited, saved first", true, score, true, {Answer::Save}, {"first.orn"}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = makeDocument();
        dialogs = ScriptedDialogs();
        if (c.text == score) {
            MyDocument source(&prefs);
            source.replaceScore(sampleScore());
            source.copy();
        } else if (c.hasText) {
            QGuiApplication::clipboard()->setText(c.text);
        } else {
            QGuiApplication::clipboard()->clear();
        }
        if (c.edited) {
            makeEdited();
        }
        // Untitled when edited, so that Save asks for a path.
        const QString title = c.edited ? QString() : path("mine.orn");
        doc->setFilePath(title);
        dialogs.saveAnswers = c.answers;
        for (const QString& p : c.savePaths) {
            dialogs.savePaths.push_back(p.isEmpty() ? p : path(p));
        }
        const std::string before = doc->score().toString();
        const int entries = doc->undoStack()->count();

        doc->paste();

        EXPECT_EQ(alertTitles(), c.alerts);
        EXPECT_EQ(dialogs.saveQuestions.size(), c.edited ? 1 : 0);
        EXPECT_TRUE(dialogs.saveAnswers.empty());
        EXPECT_TRUE(dialogs.savePaths.empty());
        if (c.replaced) {
            // The short form: step 200 lies beyond it.
            EXPECT_EQ(doc->score().toString(), sampleScore()->toString());
            EXPECT_EQ(doc->score().getProgAt(50, 1), 15);
            EXPECT_EQ(doc->score().getProgAt(200, 13), 0);
            EXPECT_TRUE(doc->filePath().isEmpty());
            EXPECT_EQ(doc->undoStack()->count(), 0);
            EXPECT_TRUE(doc->isPlaying());
            EXPECT_FALSE(doc->isDocumentEdited());
        } else {
            EXPECT_EQ(doc->score().toString(), before);
            EXPECT_EQ(doc->undoStack()->count(), entries);
            EXPECT_FALSE(doc->isPlaying());
            EXPECT_EQ(doc->isDocumentEdited(), c.edited);
            EXPECT_EQ(doc->filePath(), title);
        }
    }
    // The path chosen at the question holds the edited score.
    const QByteArray saved = readFile(path("first.orn"));
    EXPECT_EQ(OrnScore(std::span(reinterpret_cast<const std::uint8_t*>(saved.data()),
                                 static_cast<std::size_t>(saved.size())))
                  .getProgAt(7, 7),
              7);
}

// A writer waiting on a FIFO: a reader that opens it lets the writer through,
// which closes at once, so that reader sees the end instead of blocking. At
// the end a reader of our own releases a writer still waiting: nothing hangs.
class FifoWatch {
  public:
    explicit FifoWatch(const QString& path) : _path(QFile::encodeName(path).toStdString()) {
        _writer = std::thread([this] {
            const int fd = ::open(_path.c_str(), O_WRONLY);
            _opened = true;
            ::close(fd);
        });
    }
    ~FifoWatch() {
        const int fd = ::open(_path.c_str(), O_RDONLY | O_NONBLOCK);
        _writer.join();
        ::close(fd);
    }
    bool opened() const { return _opened; }

  private:
    std::string _path;
    std::thread _writer;
    std::atomic<bool> _opened{false};
};

TEST_F(Exchange, DropsOfEveryKindOfPath) {
    writeFile(path("empty.orn"), {});
    writeFile(path("max.orn"), scoreOfSize(8192));
    writeFile(path("over.orn"), scoreOfSize(8193));
    writeFile(path("junk.orn"), "no score here");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("loop-b"), path("loop-a")));
    ASSERT_TRUE(QFile::link(path("loop-a"), path("loop-b")));
    ASSERT_TRUE(QFile::link(path("gone.orn"), path("broken")));
    ASSERT_TRUE(QFile::link(path("max.orn"), path("link.orn")));
    struct Case {
        const char* name;
        QString file;
        QString alert; // empty: the drop is loaded
    } const cases[] = {
        {"0 bytes", "empty.orn", "Unknown Format"},   {"8192 bytes", "max.orn", ""},
        {"8193 bytes", "over.orn", "Unknown Format"}, {"not a score", "junk.orn", "Unknown Format"},
        {"missing", "gone.orn", "Cannot Read"},       {"folder", "folder", "Unknown Format"},
        {"fifo", "fifo", "Unknown Format"},           {"device", "/dev/zero", "Unknown Format"},
        {"link loop", "loop-a", "Cannot Read"},       {"broken link", "broken", "Cannot Read"},
        {"link to a score", "link.orn", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = makeDocument();
        dialogs = ScriptedDialogs();
        const QString file = c.file.startsWith('/') ? c.file : path(c.file);
        std::unique_ptr<FifoWatch> watch;
        if (c.file == "fifo") {
            watch = std::make_unique<FifoWatch>(file);
        }
        doc->dropFile(file, false);
        if (watch) {
            EXPECT_FALSE(watch->opened());
        }
        if (c.alert.isEmpty()) {
            EXPECT_TRUE(dialogs.alerts.empty());
            EXPECT_EQ(doc->score().tempo(), 133);
            EXPECT_TRUE(doc->isPlaying());
        } else {
            ASSERT_EQ(alertTitles(), QStringList{c.alert});
            EXPECT_TRUE(dialogs.alerts[0].detail.contains(QFileInfo(file).fileName()));
            EXPECT_EQ(doc->score().tempo(), 100);
            EXPECT_FALSE(doc->isPlaying());
        }
    }
}

TEST_F(Exchange, LinkedAndUnlinkedDrops) {
    const QString file = path("dropped.orn");
    writeFile(file, bytesOf(sampleScore()->data()));
    struct Case {
        const char* name;
        bool link;
        bool edited;
        std::deque<Answer> answers;
        bool loaded;
        bool titled;
        bool editedAfter;
    } const cases[] = {
        {"unlinked", false, false, {}, true, false, false},
        {"linked", true, false, {}, true, true, false},
        {"unlinked into an edited document", false, true, {Answer::DontSave}, true, false, true},
        {"linked into an edited document", true, true, {Answer::DontSave}, true, true, false},
        {"cancelled", true, true, {Answer::Cancel}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = makeDocument();
        dialogs = ScriptedDialogs();
        dialogs.saveAnswers = c.answers;
        if (c.edited) {
            makeEdited();
        }
        doc->dropFile(file, c.link);
        EXPECT_TRUE(dialogs.alerts.empty());
        EXPECT_EQ(doc->score().tempo(), c.loaded ? 133 : 100);
        EXPECT_EQ(doc->isPlaying(), c.loaded);
        EXPECT_EQ(doc->undoStack()->count(), c.loaded ? 0 : 1);
        EXPECT_EQ(doc->filePath(), c.titled ? file : QString());
        EXPECT_EQ(doc->isDocumentEdited(), c.editedAfter);
        if (c.titled) {
            EXPECT_EQ(MyDocument::documentForPath(path("./dropped.orn")), doc.get());
        }
    }
}

TEST_F(Exchange, SaveAndOpenRoundTripsWithAnyName) {
    for (const QString& name : {QString("plain.orn"), QString("with spaces .orn"),
                                QString::fromUtf8("Gr\u00fc\u00dfe \u266a \u97f3\u697d.orn")}) {
        SCOPED_TRACE(name.toStdString());
        doc = makeDocument();
        doc->replaceScore(sampleScore());
        doc->undoableAddNoteAt(1, 2, 3);
        QSignalSpy paths(doc.get(), &MyDocument::filePathChanged);
        ASSERT_TRUE(doc->saveToPath(path(name)));
        EXPECT_EQ(paths.size(), 1);
        EXPECT_EQ(doc->filePath(), path(name));
        EXPECT_EQ(doc->displayName(), name);
        EXPECT_FALSE(doc->isDocumentEdited());
        const QByteArray saved = readFile(path(name));
        EXPECT_EQ(saved, bytesOf(doc->score().data()));
        EXPECT_TRUE(saved.contains("\r\nTEMPO=133\r\n"));

        EXPECT_EQ(MyDocument::documentForPath(dir.path() + "/../" + QDir(dir.path()).dirName() +
                                              "/" + name),
                  doc.get());
        auto opened = MyDocument::openPath(path(name), &prefs, &dialogs);
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->score().data(), doc->score().data());
        EXPECT_EQ(opened->filePath(), path(name));
        EXPECT_FALSE(opened->isDocumentEdited());
    }
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST_F(Exchange, OpenFailuresNameTheFileAndMakeNoDocument) {
    writeFile(path("junk.orn"), "nothing");
    writeFile(path("huge.orn"), QByteArray((1 << 20) + 1, '\n'));
    struct Case {
        QString name;
        QString alert;
    } const cases[] = {
        {"junk.orn", "Unknown Format"},
        {"huge.orn", "Cannot Read"},
        {"missing.orn", "Cannot Read"},
        {".", "Cannot Read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        dialogs = ScriptedDialogs();
        EXPECT_EQ(MyDocument::openPath(path(c.name), &prefs, &dialogs), nullptr);
        ASSERT_EQ(alertTitles(), QStringList{c.alert});
        EXPECT_TRUE(dialogs.alerts[0].detail.contains(QFileInfo(path(c.name)).fileName()));
    }
}

TEST_F(Exchange, FailedSavesKeepTheOldFileAndTheEditedState) {
    writeFile(path("a-file"), "x");
    writeFile(path("old.orn"), "the old file\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.orn"));
    struct Case {
        const char* name;
        QString target;
        rlim_t sizeLimit; // 0: none; a file size limit makes the write itself fail
    } const cases[] = {
        {"parent is a file", path("a-file/song.orn"), 0},
        {"under /proc", "/proc/zubo-song.orn", 0},
        {"missing folder", path("no/such/song.orn"), 0},
        {"path is a folder", path("folder.orn"), 0},
        {"write fails", path("old.orn"), 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = makeDocument();
        dialogs = ScriptedDialogs();
        doc->setFilePath(path("mine.orn"));
        makeEdited();
        doc->undoableSetTempo(77);
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.sizeLimit != 0) {
            rlimit limit = saved;
            limit.rlim_cur = c.sizeLimit;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        const bool ok = doc->saveToPath(c.target);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(ok);
        ASSERT_EQ(alertTitles(), QStringList{"Cannot Save"});
        EXPECT_TRUE(dialogs.alerts[0].detail.contains(QFileInfo(c.target).fileName()));
        EXPECT_FALSE(dialogs.alerts[0].detail.contains("Unknown error"));
        EXPECT_TRUE(doc->isDocumentEdited());
        EXPECT_EQ(doc->filePath(), path("mine.orn"));
        // The tempo still counts as unsaved.
        doc->undoStack()->undo();
        EXPECT_TRUE(doc->isDocumentEdited());
    }
    EXPECT_EQ(readFile(path("old.orn")), "the old file\r\n");
    EXPECT_EQ(readFile(path("a-file")), "x");
    EXPECT_TRUE(QFileInfo(path("folder.orn")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers
}

TEST_F(Exchange, UntitledNamesCountUpAndTheSaveTypeIsChecked) {
    auto second = makeDocument();
    const QString first = doc->displayName();
    EXPECT_TRUE(first.startsWith("Untitled"));
    const int n = first == "Untitled" ? 1 : first.mid(9).toInt();
    EXPECT_EQ(second->displayName(), QString("Untitled %1").arg(n + 1));
    EXPECT_EQ(doc->displayName(), first);

    EXPECT_TRUE(doc->dataRepresentationOfType("text/html").isNull());
    EXPECT_FALSE(doc->loadDataRepresentation(bytesOf(sampleScore()->data()), "text/html"));
    EXPECT_EQ(doc->dataRepresentationOfType("ORN Format"), bytesOf(doc->score().data()));
    EXPECT_TRUE(doc->loadDataRepresentation(bytesOf(sampleScore()->data()), "text/plain"));
}

} // namespace
