#include <gtest/gtest.h>
#include "score/OrnScore.h"
TEST(X, Y) { OrnScore s; EXPECT_EQ(s.tempo(), 100); }
