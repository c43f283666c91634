#pragma once

// The real program on a private X server, driven with xdotool: the fixture
// starts the server (and skips where Xvfb or xdotool is missing), and the
// helpers find windows, click, grab pictures and read the files the
// program leaves.

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
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace xvfbtest {

inline constexpr int kTimeoutMs = 15000;

inline QString binary(const char* name) {
    return QString::fromLocal8Bit(ZUBO_TEST_BIN_DIR) + QLatin1Char('/') + QLatin1String(name);
}

// A command's output, or nullopt when it failed or did not finish in time.
inline std::optional<QString> run(const QString& program, const QStringList& arguments,
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

    // Starts the program again, as after an unclean end, and takes the
    // restore question's default answer (Restore) with Return; `window` is
    // then the restored song's, empty when none came.
    void startAndRestore() {
        program.start(binary("zubo-sequencer"), {});
        ASSERT_TRUE(program.waitForStarted(kTimeoutMs));
        const QString question = findWindow(QStringLiteral("Zubo Sequencer"));
        ASSERT_FALSE(question.isEmpty()) << "no question appeared";
        QThread::msleep(500);
        ASSERT_TRUE(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), question}));
        key(QStringLiteral("Return"));
        window = findWindow(QStringLiteral("song\\.orn \\(recovered\\)"));
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
inline std::vector<int> darkLineRows(const QImage& picture) {
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
inline std::vector<int> staffLineRows(const QImage& picture) {
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
inline int countNotes(const QString& path) {
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
inline std::string scoreText(const QString& path) {
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
inline QMap<QString, QStringList> recoveryFiles(const QString& dataHome) {
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
inline bool waitFor(Condition done) {
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

} // namespace xvfbtest
