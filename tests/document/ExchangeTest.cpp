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
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
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
        QString reason;
    } const cases[] = {
        {"0 bytes", "empty.orn", "Unknown Format", "1 to 8192 bytes"},
        {"8192 bytes", "max.orn", "", ""},
        {"8193 bytes", "over.orn", "Unknown Format", "1 to 8192 bytes"},
        {"not a score", "junk.orn", "Unknown Format", "is not a score."},
        {"missing", "gone.orn", "Cannot Read", "no such file"},
        {"folder", "folder", "Unknown Format", "1 to 8192 bytes"},
        {"fifo", "fifo", "Unknown Format", "1 to 8192 bytes"},
        {"device", "/dev/zero", "Unknown Format", "1 to 8192 bytes"},
        {"link loop", "loop-a", "Cannot Read", "too many levels of symbolic links"},
        {"broken link", "broken", "Cannot Read", "no such file"},
        {"link to a score", "link.orn", "", ""},
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
            EXPECT_TRUE(dialogs.alerts[0].detail.contains(c.reason));
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
        bool openElsewhere = false;
    } const cases[] = {
        {"unlinked", false, false, {}, true, false, false},
        {"linked", true, false, {}, true, true, false},
        {"unlinked into an edited document", false, true, {Answer::DontSave}, true, false, true},
        {"linked into an edited document", true, true, {Answer::DontSave}, true, true, false},
        {"cancelled", true, true, {Answer::Cancel}, false, false, true},
        {"linked, open in another document", true, false, {}, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc = makeDocument();
        dialogs = ScriptedDialogs();
        std::unique_ptr<MyDocument> other;
        if (c.openElsewhere) {
            other = makeDocument();
            other->setFilePath(file);
        }
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
        if (c.titled || other) {
            EXPECT_EQ(MyDocument::documentForPath(path("./dropped.orn")),
                      c.titled ? doc.get() : other.get());
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

// A writer that holds a FIFO open and never writes, so that a reader of it
// would wait for ever; after a few seconds it gives up, so that such a
// reader sees the end and the test fails instead of hanging.
class SilentFifoWriter {
  public:
    explicit SilentFifoWriter(const QString& path)
        : _fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK)) {
        _watchdog = std::thread([this] {
            std::unique_lock lock(_mutex);
            _done.wait_for(lock, std::chrono::seconds(5), [this] { return _finished; });
            ::close(_fd);
        });
    }
    ~SilentFifoWriter() {
        {
            const std::lock_guard lock(_mutex);
            _finished = true;
        }
        _done.notify_one();
        _watchdog.join();
    }
    bool opened() const { return _fd >= 0; }

  private:
    int _fd;
    std::mutex _mutex;
    std::condition_variable _done;
    bool _finished = false;
    std::thread _watchdog;
};

TEST_F(Exchange, OpenFailuresNameTheFileAndMakeNoDocument) {
    writeFile(path("junk.orn"), "nothing");
    writeFile(path("huge.orn"), QByteArray((1 << 20) + 1, '\n'));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.orn")).constData(), 0600), 0);
    struct Case {
        QString name;
        QString alert;
        QString reason;
    } const cases[] = {
        {"junk.orn", "Unknown Format", "not a score"},
        {"huge.orn", "Cannot Read", "larger than"},
        {"missing.orn", "Cannot Read", "no such file"},
        {".", "Cannot Read", "is a directory"},
        {"fifo.orn", "Cannot Read", "not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        dialogs = ScriptedDialogs();
        std::unique_ptr<SilentFifoWriter> writer;
        if (c.name == "fifo.orn") {
            writer = std::make_unique<SilentFifoWriter>(path(c.name));
            ASSERT_TRUE(writer->opened());
        }
        EXPECT_EQ(MyDocument::openPath(path(c.name), &prefs, &dialogs), nullptr);
        ASSERT_EQ(alertTitles(), QStringList{c.alert});
        EXPECT_TRUE(dialogs.alerts[0].detail.contains(c.reason));
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
        // Edited by the tempo alone, which the undo history does not hold.
        doc->undoableSetTempo(77);
        ASSERT_TRUE(doc->isDocumentEdited());
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.sizeLimit != 0) {
            rlimit limit = saved;
            limit.rlim_cur = c.sizeLimit;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        QSignalSpy edited(doc.get(), &MyDocument::editedChanged);
        const bool ok = doc->saveToPath(c.target);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(ok);
        ASSERT_EQ(alertTitles(), QStringList{"Cannot Save"});
        EXPECT_TRUE(dialogs.alerts[0].detail.contains(QFileInfo(c.target).fileName()));
        EXPECT_FALSE(dialogs.alerts[0].detail.contains("Unknown error"));
        // The tempo still counts as unsaved, and never showed as saved.
        EXPECT_TRUE(doc->isDocumentEdited());
        EXPECT_TRUE(edited.empty());
        EXPECT_EQ(doc->filePath(), path("mine.orn"));
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
