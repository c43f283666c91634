#include "score/OrnScore.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "score/ScoreTestUtil.h"

namespace {

using scoretest::load;
using scoretest::sameScore;

std::string asText(const std::vector<std::uint8_t>& data) {
    return std::string(data.begin(), data.end());
}

std::unique_ptr<OrnScore> exampleScore() {
    auto score = std::make_unique<OrnScore>();
    score->setTempo(120);
    score->setMeasure(3);
    score->setLoop(true);
    score->setEnd(4);
    score->addNoteAt(0, 1, 1);
    score->addNoteAt(2, 5, 2);
    score->addNoteAt(2, 12, 15);
    score->addNoteAt(3, 3, 3);
    score->addNoteAt(3, 5, 3);
    score->addNoteAt(3, 8, 3);
    return score;
}

TEST(OrnScoreWriter, NewScoreFullAndShortForms) {
    auto score = std::make_unique<OrnScore>();
    const std::string expected = "SCORE=" + std::string(2880, '0') +
                                 "\r\nTEMPO=100\r\nLOOP=FALSE\r\nEND=961\r\nTIME44=TRUE\r\n";
    EXPECT_EQ(asText(score->data()), expected);
    char buffer[OrnScore::kTextBufferSize];
    score->makeCString(buffer);
    EXPECT_EQ(std::string(buffer), expected);
    // The end mark 960 is above 96, so the short form holds every step.
    EXPECT_EQ(asText(score->data(true)), expected);
    EXPECT_EQ(score->toString(), "SCORE=" + std::string(2880, '0') +
                                     "\nTEMPO=100\nLOOP=FALSE\nEND=961\nTIME44=TRUE\n");
}

TEST(OrnScoreWriter, ExampleScoreBothForms) {
    auto score = exampleScore();
    EXPECT_EQ(score->toString(), "SCORE=0011000052CF335383" + std::string(276, '0') +
                                     "\nTEMPO=120\nLOOP=TRUE\nEND=5\nTIME44=FALSE\n");
    EXPECT_EQ(asText(score->data()), "SCORE=0011000052CF335383" + std::string(2868, '0') +
                                         "\r\nTEMPO=120\r\nLOOP=TRUE\r\nEND=5\r\nTIME44=FALSE\r\n");
    EXPECT_EQ(asText(score->data(true)), "SCORE=0011000052CF335383" + std::string(276, '0') +
                                             "\r\nTEMPO=120\r\nLOOP=TRUE\r\nEND=5\r\nTIME44=FALSE\r\n");
}

TEST(OrnScoreWriter, ShortFormLengthFollowsEndMark) {
    struct {
        int end;
        std::size_t steps;
    } const cases[] = {{0, 96}, {95, 96}, {96, 96}, {97, 960}, {960, 960}};
    for (const auto& c : cases) {
        auto score = std::make_unique<OrnScore>();
        score->setEnd(c.end);
        const std::string text = score->toString();
        const auto cells = text.find('\n') - std::strlen("SCORE=");
        EXPECT_EQ(cells, c.steps * 3) << c.end;
    }
}

TEST(OrnScoreWriter, LongestTextFitsTheBuffer) {
    auto score = std::make_unique<OrnScore>();
    for (int index = 0; index < OrnScore::maxLength(); ++index) {
        score->addNoteAt(index, 1, 15);
        score->addNoteAt(index, 7, 15);
        score->addNoteAt(index, 13, 15);
    }
    score->setMeasure(3);
    score->setTempo(INT_MIN);
    score->setEnd(INT_MIN); // written as END=-2147483647
    EXPECT_EQ(score->data().size(), 5830u);
    score->setEnd(INT_MAX); // one more would overflow an int
    EXPECT_NE(asText(score->data()).find("END=2147483648\r\n"), std::string::npos);
}

TEST(OrnScoreWriter, ProgThatDoesNotFitOneDigitIsWrittenAsZero) {
    auto score = std::make_unique<OrnScore>();
    score->setEnd(3);
    score->addNoteAt(0, 1, 16);
    score->addNoteAt(1, 2, -1);
    score->addNoteAt(2, 3, 15);
    EXPECT_EQ(score->toString().substr(0, 15), "SCORE=001000200");
    auto back = load(score->toString());
    ASSERT_TRUE(back->isValid());
    EXPECT_EQ(back->progAt(0, 0), 0);
    EXPECT_EQ(back->noteAt(2, 0), 3);
    EXPECT_EQ(back->progAt(2, 0), 15);
}

TEST(OrnScoreWriter, RandomScoresRoundTripThroughBothForms) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const int end = static_cast<int>(seed * 97 % 961);
        auto score = scoretest::randomScore(seed, end);
        const auto full = score->data();
        auto fromFull = std::make_unique<OrnScore>(full);
        ASSERT_TRUE(fromFull->isValid()) << seed;
        EXPECT_TRUE(sameScore(*score, *fromFull, OrnScore::maxLength())) << seed;
        // Written again, the text is byte for byte the same.
        EXPECT_EQ(fromFull->data(), full) << seed;

        auto fromShort = load(score->toString());
        ASSERT_TRUE(fromShort->isValid()) << seed;
        const int kept = end <= 96 ? 96 : OrnScore::maxLength();
        EXPECT_TRUE(sameScore(*score, *fromShort, kept)) << seed;
    }
}

} // namespace
