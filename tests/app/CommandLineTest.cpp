#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "app/AppTestUtil.h"

namespace {

using apptest::run;

TEST(CommandLine, ModesAndUsageErrors) {
    using Mode = zubo::CommandLine::Mode;
    struct {
        QStringList args;
        Mode mode;
    } const cases[] = {
        {{}, Mode::Composer},
        {{"a.orn", "b.orn"}, Mode::Composer},
        {{"--dump", "a.orn"}, Mode::Dump},
        {{"--dump", "-"}, Mode::Dump},
        {{"--check", "a.orn", "b.orn"}, Mode::Check},
        {{"-o", "out.orn", "a.orn"}, Mode::Export},
        {{"--export-to=out.orn", "--short", "a.orn"}, Mode::Export},
        {{"--help"}, Mode::Help},
        {{"-h"}, Mode::Help},
        {{"--version"}, Mode::Version},
        {{"--bogus"}, Mode::Error},
        {{"-x", "a.orn"}, Mode::Error},
        {{"--dump"}, Mode::Error},
        {{"--dump", "a.orn", "b.orn"}, Mode::Error},
        {{"--check"}, Mode::Error},
        {{"-o", "out.orn"}, Mode::Error},
        {{"-o", "out.orn", "a.orn", "b.orn"}, Mode::Error},
        {{"--short", "a.orn"}, Mode::Error},
        {{"--check", "--dump", "a.orn", "b.orn"}, Mode::Error},
        {{"--check", "-o", "out.orn", "a.orn"}, Mode::Error},
    };
    for (const auto& c : cases) {
        const auto parsed = zubo::parseCommandLine(QStringList{"zubo-sequencer"} + c.args);
        EXPECT_EQ(parsed.mode, c.mode) << c.args.join(' ').toStdString();
    }
}

TEST(CommandLine, UsageErrorsExitTwoWithOneLineReason) {
    const auto result = run({"--frobnicate"});
    EXPECT_EQ(result.code, 2);
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err.rfind("zubo-sequencer: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("frobnicate"), std::string::npos);
}

TEST(CommandLine, HelpAndVersion) {
    const auto help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: zubo-sequencer"), std::string::npos);
    EXPECT_NE(help.out.find("--check FILE..."), std::string::npos);
    const auto version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("zubo-sequencer ", 0), 0u);
}

} // namespace
