// Left copies whose name line cannot be read: never deleted, moved where
// they are not looked at again, and the user is told where.
#include <QDirIterator>
#include <QFileInfo>

#include <deque>
#include <utility>
#include <vector>

#include "RecoveryTestUtil.h"

namespace {

using Answer = Dialogs::RestoreAnswer;
using recoverytest::Recovery;
using recoverytest::scoreText;

// The files under `folder` holding exactly `contents`.
QStringList filesHolding(const QString& folder, const QByteArray& contents) {
    QStringList found;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll() == contents) {
            found << file.fileName();
        }
    }
    return found;
}

TEST_F(Recovery, DamagedCopiesAreMovedAsideAndToldAbout) {
    const QByteArray damaged = QByteArrayLiteral("\x01\x02 no name line");
    const struct {
        const char* name;
        std::vector<std::pair<QString, QByteArray>> good;
        std::deque<Answer> answers;
        qsizetype restored;
    } cases[] = {
        {"only damaged copies", {}, {}, 0},
        {"beside one restored", {{QStringLiteral("a.orn"), scoreText({1})}}, {Answer::Restore}, 1},
        {"beside one kept for later",
         {{QStringLiteral("a.orn"), scoreText({1})}},
         {Answer::Later},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        leaveBehind(c.good);
        const QString killed = QDir(store.folder()).filePath(QStringLiteral("killed"));
        for (const char* file : {"7.orn", "8.orn"}) {
            QFile out(QDir(killed).filePath(QLatin1String(file)));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(damaged);
        }
        dialogs.alerts.clear();
        dialogs.restoreAnswers = c.answers;
        EXPECT_EQ(controller->offerRecovery().size(), c.restored);
        EXPECT_TRUE(dialogs.restoreAnswers.empty());

        const QStringList kept = filesHolding(store.folder(), damaged);
        ASSERT_EQ(kept.size(), 2) << "a damaged copy was deleted";
        ASSERT_EQ(dialogs.alerts.size(), 1U);
        EXPECT_TRUE(
            dialogs.alerts[0].detail.contains(QDir::toNativeSeparators(QFileInfo(kept[0]).path())))
            << dialogs.alerts[0].detail.toStdString();
        // The next start does not offer them, and keeps them still.
        EXPECT_EQ(offeredNext().size(), std::ssize(c.good) - c.restored);
        EXPECT_EQ(filesHolding(store.folder(), damaged), kept);

        QDir(killed).removeRecursively();
        QDir(QFileInfo(kept[0]).path()).removeRecursively();
    }
}

} // namespace
