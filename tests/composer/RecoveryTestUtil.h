#pragma once

// Recovery folders as a killed instance leaves them, and a controller that
// keeps its documents in a store of the test's own.

#include "composer/RecoveryKeeper.h"
#include "composer/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>

#include <chrono>
#include <utility>
#include <vector>

#include "ComposerTestUtil.h"

namespace recoverytest {

using namespace std::chrono_literals;

inline QByteArray textOf(const OrnScore& score) {
    const std::vector<std::uint8_t> data = score.data();
    return {reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())};
}

// The full text of a score with one note per entry of `steps`.
inline QByteArray scoreText(std::initializer_list<int> steps) {
    OrnScore score;
    for (const int step : steps) {
        score.addNoteAt(step, 4, 3);
    }
    return textOf(score);
}

// A process id no process has: that of a program that has ended.
inline qint64 deadPid() {
    QProcess done;
    done.start(QStringLiteral("true"), {});
    done.waitForStarted();
    const qint64 pid = done.processId();
    done.waitForFinished();
    return pid;
}

// Makes `store`'s documents look like those of a killed instance: copies
// them to the folder `to` with a lock that names a process that has gone.
inline void abandon(const RecoveryStore& store, const QString& to) {
    const QDir from(store.instanceFolder());
    ASSERT_TRUE(QDir().mkpath(to));
    for (const QString& file : from.entryList({QStringLiteral("*.orn")}, QDir::Files)) {
        ASSERT_TRUE(QFile::copy(from.filePath(file), QDir(to).filePath(file)));
    }
    // A real lock's contents, with its first line (the process) replaced.
    const QString model = QDir(to).filePath(QStringLiteral("model"));
    QByteArray contents;
    {
        QLockFile live(model);
        ASSERT_TRUE(live.tryLock(0));
        QFile in(model);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        contents = in.readAll();
    }
    contents = QByteArray::number(deadPid()) + contents.mid(contents.indexOf('\n'));
    QFile lock(to + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(contents);
}

// The controller with a store, keeping documents every second.
class Recovery : public composertest::ComposerTest {
protected:
    static constexpr auto kInterval = 1000ms;

    void SetUp() override {
        composertest::ComposerTest::SetUp();
        ASSERT_TRUE(store.open());
        controller->setRecoveryStore(&store, kInterval);
    }
    // The text kept for `w`'s document, or empty when there is none.
    QByteArray kept(OrnWindowController* w) const {
        const auto* keeper = w->document()->findChild<RecoveryKeeper*>();
        QFile file(
            QDir(store.instanceFolder()).filePath(QStringLiteral("%1.orn").arg(keeper->id())));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        const QByteArray data = file.readAll();
        return data.mid(data.indexOf('\n') + 1);
    }
    // Leaves documents as a killed instance would.
    void leaveBehind(const std::vector<std::pair<QString, QByteArray>>& documents) {
        RecoveryStore killed(QDir(root.path()).filePath(QStringLiteral("elsewhere")));
        ASSERT_TRUE(killed.open());
        for (const auto& [name, text] : documents) {
            ASSERT_TRUE(killed.write(killed.newId(), name, text));
        }
        abandon(killed, QDir(store.folder()).filePath(QStringLiteral("killed")));
    }
    // The names of the documents the next start would offer.
    QStringList offeredNext() const {
        RecoveryStore next(store.folder());
        EXPECT_TRUE(next.open());
        QStringList names;
        for (const RecoveryStore::Leftover& leftover : next.takeLeftovers()) {
            names << leftover.name;
        }
        return names;
    }

    QTemporaryDir root;
    RecoveryStore store{QDir(root.path()).filePath(QStringLiteral("store"))};
};

} // namespace recoverytest
