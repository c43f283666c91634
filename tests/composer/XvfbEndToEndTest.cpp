// The real program in a real (virtual) X server, driven by real pointer and
// key events: place two notes, undo one, play, save; then the saved file and
// pictures of the window are checked. And a program killed after an edit
// offers the edited score at its next start.
#include "score/OrnScore.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

const int kTimeoutMs = 15000;

QString binary(const char* name) {
    return QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QLatin1Char('/') + QLatin1String(name);
}

// A command's output, or nullopt when it failed or did not finish in time.
std::optional<QString> run(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

class XvfbEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        }
        ASSERT_TRUE(folder.isValid());
        xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                            QStringLiteral("-screen"), QStringLiteral("0"),
                                            QStringLiteral("1280x800x24"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                            // The server would reset, refusing
                                            // clients for a moment, whenever
                                            // its last client goes.
                                            QStringLiteral("-noreset")});
        ASSERT_TRUE(xvfb.waitForStarted(kTimeoutMs));
        QElapsedTimer clock;
        clock.start();
        while (!xvfb.canReadLine() && clock.elapsed() < kTimeoutMs) {
            xvfb.waitForReadyRead(100);
        }
        const QString display = QString::fromLatin1(xvfb.readLine()).trimmed();
        ASSERT_FALSE(display.isEmpty()) << "Xvfb gave no display";
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    }
    void TearDown() override {
        for (QProcess* p : {&program, &xvfb}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(kTimeoutMs);
            }
        }
    }

    std::optional<QString> xdotool(const QStringList& arguments) {
        return run(QStringLiteral("xdotool"), arguments, env);
    }
    // The program's visible top window whose title matches the regular
    // expression `name`, waited for.
    QString findWindow(const QString& name = QStringLiteral("song.orn")) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kTimeoutMs && program.state() == QProcess::Running) {
            const auto found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), name});
            if (found && !found->trimmed().isEmpty()) {
                return found->trimmed().split(QLatin1Char('\n')).last();
            }
            QThread::msleep(100);
        }
        return {};
    }
    QImage grab(const QString& name) {
        const QString path = folder.filePath(name);
        const auto done = run(binary("grabwindow"), {path, window}, env);
        return done ? QImage(path) : QImage();
    }
    void key(const QString& keys) {
        ASSERT_TRUE(xdotool({QStringLiteral("key"), keys}));
        QThread::msleep(300);
    }
    void click(int x, int y) {
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                             QString::number(x), QString::number(y), QStringLiteral("click"),
                             QStringLiteral("1")}));
        QThread::msleep(300);
    }

    // A writable copy of an example song in the test's folder; empty when
    // it cannot be made.
    QString copyExample() {
        const QString song = folder.filePath(QStringLiteral("song.orn"));
        if (!QFile::copy(QString::fromLocal8Bit(ZUBO_TEST_RESOURCE_DIR) +
                             QStringLiteral("/examples/ode-to-joy.orn"),
                         song)) {
            return {};
        }
        QFile::setPermissions(song, QFile::ReadOwner | QFile::WriteOwner);
        return song;
    }

    QTemporaryDir folder;
    QProcess xvfb;
    QProcess program;
    QProcessEnvironment env;
    QString window;
};

// The rows of the picture where a dark line crosses most of its width (each
// may be more than one pixel thick).
std::vector<int> darkLineRows(const QImage& picture) {
    std::vector<int> rows;
    for (int y = 0; y < picture.height(); ++y) {
        int dark = 0;
        for (int x = 0; x < picture.width(); ++x) {
            if (qGray(picture.pixel(x, y)) < 110) {
                ++dark;
            }
        }
        if (dark > picture.width() * 6 / 10 && (rows.empty() || y > rows.back() + 1)) {
            rows.push_back(y);
        } else if (dark > picture.width() * 6 / 10) {
            rows.back() = y;  // the same line, thicker
        }
    }
    return rows;
}

// The five staff lines: five dark lines at equal distances.
std::vector<int> staffLineRows(const QImage& picture) {
    const std::vector<int> rows = darkLineRows(picture);
    for (size_t i = 0; i + 4 < rows.size(); ++i) {
        const int gap = rows[i + 1] - rows[i];
        bool even = gap > 2;
        for (size_t k = i + 1; k < i + 4; ++k) {
            even = even && std::abs(rows[k + 1] - rows[k] - gap) <= 1;
        }
        if (even) {
            return {rows.begin() + static_cast<long>(i), rows.begin() + static_cast<long>(i) + 5};
        }
    }
    return {};
}

// The notes of the score file at `path`, or -1 when it is not a score.
int countNotes(const QString& path) {
    QFile file(path);
    OrnScore score;
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray text = file.readAll();
    if (!score.loadData(std::span(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                  static_cast<std::size_t>(text.size())))) {
        return -1;
    }
    int notes = 0;
    for (int step = 0; step < OrnScore::maxLength(); ++step) {
        for (int cell = 0; cell < OrnScore::maxNotes(); ++cell) {
            notes += score.cellAt(step, cell).midiNote >= 0 ? 1 : 0;
        }
    }
    return notes;
}

// The score in the file at `path` as text, or empty when it is not a score.
std::string scoreText(const QString& path) {
    QFile file(path);
    OrnScore score;
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray text = file.readAll();
    return score.loadData(std::span(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                    static_cast<std::size_t>(text.size())))
               ? score.toString()
               : std::string();
}

// The documents kept for recovery under `dataHome`, each instance's folder
// with its files.
QMap<QString, QStringList> recoveryFiles(const QString& dataHome) {
    const QDir root(dataHome + QStringLiteral("/Zubo/Zubo Sequencer/recovery"));
    QMap<QString, QStringList> found;
    for (const QString& instance : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir dir(root.filePath(instance));
        for (const QString& file : dir.entryList({QStringLiteral("*.orn")}, QDir::Files)) {
            found[instance] << dir.filePath(file);
        }
    }
    return found;
}

// Waits until `done` holds; false after the timeout.
template <typename Condition>
bool waitFor(Condition done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > kTimeoutMs) {
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

// Whether two pictures differ anywhere in rows [top, bottom).
bool differ(const QImage& a, const QImage& b, int top, int bottom) {
    for (int y = std::max(top, 0); y < bottom && y < a.height() && y < b.height(); ++y) {
        for (int x = 0; x < a.width() && x < b.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(XvfbEndToEnd, PlaceUndoPlayAndSave) {
    // A copy of an example, so that the pictures show a song.
    const QString song = copyExample();
    ASSERT_FALSE(song.isEmpty());
    const int notesBefore = countNotes(song);
    ASSERT_GT(notesBefore, 0);
    program.setProcessEnvironment(env);
    program.start(binary("zubo-sequencer"), {song});
    ASSERT_TRUE(program.waitForStarted(kTimeoutMs));
    window = findWindow();
    ASSERT_FALSE(window.isEmpty()) << "no window appeared";
    QThread::msleep(500);

    const QImage still = grab(QStringLiteral("still.png"));
    ASSERT_FALSE(still.isNull());
    const std::vector<int> lines = staffLineRows(still);
    ASSERT_EQ(lines.size(), 5U) << "the staff is not visible";

    // Two clicks on the top line (a note), at two different steps; the
    // second is undone.
    const int w = still.width();
    click(w / 2, lines[0]);
    click(w * 3 / 4, lines[0]);
    key(QStringLiteral("ctrl+z"));

    key(QStringLiteral("space"));
    QThread::msleep(700);
    const QImage playing1 = grab(QStringLiteral("playing1.png"));
    QThread::msleep(700);
    const QImage playing2 = grab(QStringLiteral("playing2.png"));
    key(QStringLiteral("space"));
    // The runner runs in the strip above the staff.
    EXPECT_TRUE(differ(playing1, playing2, 0, lines[0])) << "nothing moved while playing";

    key(QStringLiteral("ctrl+s"));
    // The program saves when it gets to the key; a slow build takes longer.
    QElapsedTimer clock;
    clock.start();
    while (countNotes(song) != notesBefore + 1 && clock.elapsed() < kTimeoutMs) {
        QThread::msleep(100);
    }
    EXPECT_EQ(countNotes(song), notesBefore + 1);

    // The picture the guide shows.
    still.save(QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QStringLiteral("/../composer.png"));
    playing1.save(QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) +
                  QStringLiteral("/../composer-playing.png"));
    key(QStringLiteral("ctrl+q"));
    EXPECT_TRUE(program.waitForFinished(kTimeoutMs));
}

TEST_F(XvfbEndToEnd, AKilledProgramOffersItsEditsAtTheNextStart) {
    const QString song = copyExample();
    ASSERT_FALSE(song.isEmpty());
    const int notesBefore = countNotes(song);
    const QString data = folder.filePath(QStringLiteral("data"));
    env.insert(QStringLiteral("ZUBO_RECOVERY_INTERVAL_MS"), QStringLiteral("400"));
    program.setProcessEnvironment(env);
    program.start(binary("zubo-sequencer"), {song});
    ASSERT_TRUE(program.waitForStarted(kTimeoutMs));
    window = findWindow();
    ASSERT_FALSE(window.isEmpty()) << "no window appeared";
    QThread::msleep(500);
    const QImage still = grab(QStringLiteral("before.png"));
    const std::vector<int> lines = staffLineRows(still);
    ASSERT_EQ(lines.size(), 5U) << "the staff is not visible";

    // The first edit is kept at once; the second once the interval is over.
    click(still.width() / 2, lines[0]);
    QString kept;
    ASSERT_TRUE(waitFor([&] {
        const auto files = recoveryFiles(data);
        kept = files.size() == 1 && files.first().size() == 1 ? files.first().first() : QString();
        return !kept.isEmpty() && countNotes(kept) == notesBefore + 1;
    })) << "the edit was not kept";
    click(still.width() * 3 / 4, lines[0]);
    ASSERT_TRUE(waitFor([&] { return countNotes(kept) == notesBefore + 2; }))
        << "the second edit was not kept";
    const std::string edited = scoreText(kept);
    const QString killedInstance = recoveryFiles(data).firstKey();

    program.kill();
    ASSERT_TRUE(program.waitForFinished(kTimeoutMs));
    EXPECT_EQ(countNotes(song), notesBefore) << "the song itself was changed";

    // The next start asks; Return takes the default answer, Restore.
    program.start(binary("zubo-sequencer"), {});
    ASSERT_TRUE(program.waitForStarted(kTimeoutMs));
    const QString question = findWindow(QStringLiteral("Zubo Sequencer"));
    ASSERT_FALSE(question.isEmpty()) << "no question appeared";
    QThread::msleep(500);
    ASSERT_TRUE(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), question}));
    key(QStringLiteral("Return"));
    window = findWindow(QStringLiteral("song\\.orn \\(recovered\\)"));
    ASSERT_FALSE(window.isEmpty()) << "the document was not restored";

    // The restored document is kept again by the new instance, and the
    // killed one's files are gone.
    QString restored;
    ASSERT_TRUE(waitFor([&] {
        const auto files = recoveryFiles(data);
        restored = files.size() == 1 && !files.contains(killedInstance) &&
                           files.first().size() == 1
                       ? files.first().first()
                       : QString();
        return !restored.isEmpty();
    })) << "the restored document is not kept, or the old files are still there";
    EXPECT_EQ(scoreText(restored), edited);
}

} // namespace
