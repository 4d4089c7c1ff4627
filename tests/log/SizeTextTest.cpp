#include "log/SizeText.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(SizeTextTest, PicksTheUnitAndRoundsToHundredths) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1, "1 bytes"},
        {1023, "1023 bytes"},
        {1024, "1 KB"},
        {1536, "1.5 KB"},
        {1024 * 1023 + 1018, "1023.99 KB"},
        {1024 * 1023 + 1019, "1024 KB"}, // 1023.995 rounds up
        {1048575, "1024 KB"},            // rounds up within the KB range
        {1048576, "1 MB"},
        {650ull * 1024 * 1024, "650 MB"},
        {1509949, "1.44 MB"}, // 1.44 x 1024^2, rounded to a whole byte
        {1073741824, "1 GB"},
        {5ull << 40, "5120 GB"},
        {UINT64_MAX, "17179869184 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(SizeText(bytes, '.'), text) << bytes;
}

TEST(SizeTextTest, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(SizeText(1509949, ','), "1,44 MB");
    EXPECT_EQ(SizeText(1024 * 1024 * 3 / 2 * 1024, ','), "1,5 GB");
}
