// Replaced by the core test suites.
#include "core/RasterOp.h"
#include <gtest/gtest.h>
TEST(RasterOp, AndKeepsCommonBits) { EXPECT_EQ(tesmaro::applyRasterOp(tesmaro::SRCAND, 0xFF00FF00u, 0xFFFFFF00u) & 0xFFFFFF, 0x00FF00u); }
