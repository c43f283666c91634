#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliTestUtil.h"

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
        {{"-o", "out.png", "--wrap", "184", "a.orn"}, Mode::Export},
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
    // Every limit, the exit statuses, where resources come from, and what
    // --dump prints.
    for (const char* documented :
         {"1 to 1000 (default 1)", "0 to 1000", "1 to 4", "at least 184", "1 MiB (1048576 bytes)",
          "2 a usage error", "130 or 143", "ZUBO_RESOURCES", "\"cell STEP SLOT MIDI PROG\"", "--verbose"}) {
        EXPECT_NE(help.out.find(documented), std::string::npos) << documented;
    }
    const auto version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("zubo-sequencer ", 0), 0u);
}

TEST(CommandLine, OptionsAndFilesComeInAnyOrder) {
    const QStringList dumps[] = {
        {"--dump", "a.orn"}, {"a.orn", "--dump"}, {"--dump", "--verbose", "a.orn"}};
    for (const auto& args : dumps) {
        const auto parsed = zubo::parseCommandLine(QStringList{"zubo-sequencer"} + args);
        EXPECT_EQ(parsed.mode, zubo::CommandLine::Mode::Dump) << args.join(' ').toStdString();
        EXPECT_EQ(parsed.files, std::vector<std::string>{"a.orn"}) << args.join(' ').toStdString();
    }
    const QStringList orders[] = {
        {"--play", "--null-output", "a.orn"},
        {"--play", "--loops", "2", "a.orn"},
        {"a.orn", "--play", "--null-output"},
        {"--null-output", "a.orn", "--loops", "2", "--play"},
    };
    for (const auto& args : orders) {
        const auto parsed = zubo::parseCommandLine(QStringList{"zubo-sequencer"} + args);
        EXPECT_EQ(parsed.mode, zubo::CommandLine::Mode::Play) << args.join(' ').toStdString();
        EXPECT_EQ(parsed.files, std::vector<std::string>{"a.orn"}) << args.join(' ').toStdString();
        EXPECT_EQ(parsed.audio.loops, args.contains("--loops") ? 2 : 1);
        EXPECT_EQ(parsed.nullOutput, args.contains("--null-output"));
    }
}

TEST(CommandLine, EveryUsageErrorNamesItsCauseAndEndsWithTheHelpLine) {
    const struct {
        QStringList args;
        const char* cause;
    } cases[] = {
        {{"-o", "x.orn", "-o", "y.orn", "a.orn"}, "-o is given more than once"},
        {{"--dump", "a.orn", "--dump", "b.orn"}, "--dump takes exactly one FILE"},
        {{"--scale", "1", "--scale", "2", "-o", "x.png", "a.orn"},
         "--scale is given more than once"},
        {{"-o", "x.txt", "a.orn"}, "x.txt: unknown output format"},
        {{"-o", "x.png", "--short", "a.orn"}, "--short goes with -o OUT.orn"},
        {{"-o", "x.wav", "--short", "a.orn"}, "--short goes with -o OUT.orn"},
        {{"-o", "x.ogg", "--float", "a.orn"}, "--float needs a .wav output"},
        {{"-o", "x.orn", "--wrap", "600", "a.orn"}, "--wrap UNITS goes with -o OUT.png"},
        {{"-o", "x.png", "--wrap", "183", "a.orn"}, "--wrap takes a whole number of at least 184"},
        {{"-o", "x.png", "--wrap", "wide", "a.orn"}, "--wrap takes a whole number of at least"},
        {{"-o", "x.png", "a.orn", "--wrap"}, "Missing value after '--wrap'"},
        {{"--play", "a.orn", "b.orn"}, "--play takes exactly one FILE"},
        {{"--play"}, "--play takes exactly one FILE"},
        {{"--loops", "1001", "--play", "a.orn"}, "--loops takes a whole number from 1 to 1000"},
        {{"--volume", "1000.5", "--play", "a.orn"}, "--volume takes a percentage from 0 to 1000"},
    };
    const std::string helpLine = "Try 'zubo-sequencer --help' for more information.\n";
    for (const auto& c : cases) {
        const auto result = run(c.args);
        EXPECT_EQ(result.code, 2) << c.cause;
        EXPECT_EQ(result.err.rfind("zubo-sequencer: " + std::string(c.cause), 0), 0u) << result.err;
        ASSERT_GE(result.err.size(), helpLine.size());
        EXPECT_EQ(result.err.substr(result.err.size() - helpLine.size()), helpLine) << c.cause;
    }
}

// File names are bytes in the file system's own encoding, valid UTF-8 or not.
TEST(CommandLine, FileNamesKeepTheirBytes) {
    const std::string latin1 = "caf\xe9.orn";
    const std::string noncharacter = "\xef\xb7\x90" "0";  // U+FDD0 then "0"
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> files;
        std::string output;
    } cases[] = {
        {{"--check", latin1, "b.orn", noncharacter}, {latin1, "b.orn", noncharacter}, ""},
        {{"-o", "\xff.wav", latin1}, {latin1}, "\xff.wav"},
        {{"--export-to=\xff\xfe.orn", "x.orn"}, {"x.orn"}, "\xff\xfe.orn"},
        {{"--play", "--null-output", latin1}, {latin1}, ""},
    };
    for (const auto& c : cases) {
        auto args = c.args;
        args.insert(args.begin(), "zubo-sequencer");
        const auto parsed = zubo::parseCommandLine(args);
        ASSERT_NE(parsed.mode, zubo::CommandLine::Mode::Error) << parsed.error.toStdString();
        EXPECT_EQ(parsed.files, c.files);
        EXPECT_EQ(parsed.output, c.output);
    }
}

} // namespace
