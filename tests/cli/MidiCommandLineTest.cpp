#include "cli/CliTestUtil.h"
#include "export/SmfReader.h"

#include <QTemporaryDir>
#include <cstdint>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using smf::readSmf;
using smf::Smf;

TEST(MidiCommandLine, WritesTheFileAndTakesTheTimingOptions) {
    QTemporaryDir dir;
    const QString in = dir.filePath("a.orn");
    apptest::writeFile(in, "SCORE=0091000091\nTEMPO=120\nLOOP=TRUE\nEND=5\nTIME44=TRUE\n");
    const std::vector<std::pair<QStringList, int>> cases = {
        {{"-o", dir.filePath("a.mid"), in}, 0},
        {{"-o", dir.filePath("b.MID"), "--loops", "3", "--tempo-emulation", "2", "--volume", "50",
          in},
         0},
        {{"-o", dir.filePath("c.mid"), "--smooth", in}, 2},
        {{"-o", dir.filePath("d.mid"), dir.filePath("missing.orn")}, 1},
    };
    for (const auto& [args, code] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const apptest::Run r = apptest::run(args);
        EXPECT_EQ(r.code, code) << r.err;
        EXPECT_EQ(apptest::readFile(args[1]).startsWith("MThd"), code == 0);
    }
    const QByteArray looped = apptest::readFile(dir.filePath("b.MID"));
    const Smf smf = readSmf(std::vector<std::uint8_t>(looped.begin(), looped.end()));
    ASSERT_TRUE(smf.ok);
    ASSERT_EQ(smf.tracks.size(), 2u);
    EXPECT_EQ(smf.tracks[1].notes.size(), 6u);
    EXPECT_EQ(smf.tracks[1].notes.at(0).velocity, 50);
}

} // namespace
