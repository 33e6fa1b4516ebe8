// The headless host's scripted keys, read by the poll as a window's keys are.
#include <gtest/gtest.h>

#include "platform/driver_headless.h"
#include "platform/rawinput.h"

// A tap between two polls reads held for the next poll and released after; a key
// still held stays held.
TEST(HeadlessKeys, ATapBetweenPollsReadsHeldOnce)
{
    fenk_getkeys(nullptr, nullptr);
    fenk_headless_key(0x1B, 1);
    fenk_headless_key(0x1B, 0);
    fenk_headless_key('Z', 1);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0x8000);
    EXPECT_EQ(FENK_joykey, 0x8000 | 0x0100);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0);
    EXPECT_EQ(FENK_joykey, 0x0100);
    fenk_headless_key('Z', 0);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_joykey, 0);
}
