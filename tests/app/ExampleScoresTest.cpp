#include "score/OrnScore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <memory>

namespace {

// The example scores that ship with the program are valid, use several
// instruments within the staff's pitches, and are stored exactly as the
// program itself would save them.
TEST(ExampleScores, AreValidVariedAndStoredAsSaved) {
    const QDir dir(QString::fromLocal8Bit(qgetenv("ZUBO_SOURCE_DIR")) + "/resources/examples");
    const auto names = dir.entryList({"*.orn"}, QDir::Files);
    ASSERT_GE(names.size(), 3);
    for (const auto& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        auto score = std::make_unique<OrnScore>(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())));
        ASSERT_TRUE(score->isValid());
        const auto saved = score->data();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(saved.data()),
                             static_cast<qsizetype>(saved.size())),
                  bytes);
        EXPECT_GE(score->tempo(), 60);
        EXPECT_LE(score->tempo(), 240);
        EXPECT_GT(score->end(), 16);
        EXPECT_LT(score->end(), 960);

        bool instruments[16] = {};
        int used = 0;
        for (int index = 0; index < OrnScore::maxLength(); ++index) {
            for (int y = 0; y < OrnScore::maxNotes(); ++y) {
                const int prog = score->progAt(index, y);
                if (score->noteAt(index, y) != 0 && prog >= 1 && prog <= 15 &&
                    !instruments[prog]) {
                    instruments[prog] = true;
                    ++used;
                }
                // Nothing stands beyond the end mark.
                if (index >= score->end()) {
                    ASSERT_EQ(score->cellAt(index, y).midiNote, -1);
                }
            }
        }
        EXPECT_GE(used, 2);
    }
}

} // namespace
