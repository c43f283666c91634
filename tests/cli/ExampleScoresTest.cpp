#include "document/MyDocument.h"
#include "document/Preferences.h"
#include "score/OrnScore.h"
#include "sound/OrnWaves.h"
#include "sound/ScoreRender.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

QDir examplesDir() {
    return QDir(QString::fromLocal8Bit(qgetenv("ZUBO_SOURCE_DIR")) + "/resources/examples");
}

std::unique_ptr<OrnScore> readExample(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    return std::make_unique<OrnScore>(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      static_cast<std::size_t>(bytes.size())));
}

// The example scores that ship with the program are valid, use several
// instruments within the staff's pitches, and are stored exactly as the
// program itself would save them.
TEST(ExampleScores, AreValidVariedAndStoredAsSaved) {
    const QDir dir = examplesDir();
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

namespace {

// The worst jump, in dBFS, at the first frame of any step of an example
// played through: how far the slope of either channel at that frame
// exceeds its slope on both sides. A smooth signal's slope changes little
// from one frame to the next; a voice stopping dead makes it leap at one.
double worstStepJumpDb(const QString& path, bool smooth) {
    const OrnWaves bank;
    Preferences prefs;
    MyDocument document(&prefs);
    document.replaceScore(readExample(path));
    document.syncData()->setVolume(1.0f);
    document.setTempoEmurationCoefficient(0);
    document.setSmoothPlayback(smooth);
    std::vector<float> frames;
    renderScore(document.player(), document.score(), 1, [&](std::span<const float> block) {
        frames.insert(frames.end(), block.begin(), block.end());
        return true;
    });
    const long long step = MyDocument::stepLength(document.score().tempo(), 0);
    const auto count = static_cast<long long>(frames.size() / 2);
    double worst = 0.0;
    for (long long b = step; b + 1 < count && b / step < document.score().end(); b += step) {
        for (int c = 0; c < 2; ++c) {
            auto slope = [&](long long n) {
                return std::abs(frames[static_cast<std::size_t>(2 * n + c)] -
                                frames[static_cast<std::size_t>(2 * (n - 1) + c)]);
            };
            worst = std::max(worst,
                             static_cast<double>(slope(b) - std::max(slope(b - 1), slope(b + 1))));
        }
    }
    return 20.0 * std::log10(std::max(worst, 1e-9));
}

TEST(ExampleScores, PlaySmoothlyAcrossEveryStepInSmoothPlayback) {
    const QDir dir = examplesDir();
    const auto names = dir.entryList({"*.orn"}, QDir::Files);
    ASSERT_GE(names.size(), 3);
    double classicWorst = -200.0;
    for (const auto& name : names) {
        const double classic = worstStepJumpDb(dir.filePath(name), false);
        const double smooth = worstStepJumpDb(dir.filePath(name), true);
        std::printf("%-28s worst step jump: classic %6.1f dBFS, smooth %6.1f dBFS\n",
                    name.toLocal8Bit().constData(), classic, smooth);
        EXPECT_LE(smooth, -40.0) << name.toStdString();
        classicWorst = std::max(classicWorst, classic);
    }
    EXPECT_GT(classicWorst, -20.0) << "the classic player cuts voices dead";
}

} // namespace
