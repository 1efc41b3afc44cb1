#include <gtest/gtest.h>

#include <chrono>

#include "platform/Clock.h"

namespace tw::platform {
namespace {

TEST(UtcFields, RoundTripAcrossCalendarEdges) {
    const struct {
        UtcFields fields;
        UtcSeconds seconds;
    } cases[] = {
        {{1970, 1, 1, 0, 0, 0}, 0},
        {{2000, 2, 29, 23, 59, 59}, 951868799},
        {{2024, 12, 31, 12, 0, 0}, 1735646400},
        {{2100, 3, 1, 0, 0, 0}, 4107542400},
        {{1969, 12, 31, 23, 59, 59}, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UtcFromFields(c.fields), c.seconds) << c.seconds;
        EXPECT_EQ(FieldsFromUtc(c.seconds), c.fields) << c.seconds;
    }
}

TEST(ParseUtcText, AcceptsCommandLineAndProfileForms) {
    EXPECT_EQ(ParseUtcText("2024-12-31T12:00:00Z"), 1735646400);
    EXPECT_EQ(ParseUtcText("2024-12-31 12:00"), 1735646400);
    EXPECT_EQ(ParseUtcText("2024/12/31 12:00:05"), 1735646405);
    EXPECT_EQ(ParseUtcText("2000-02-29T00:00"), 951782400);
    for (const char* bad : {"", "2024-12-31", "2024-13-01T00:00", "2023-02-29T00:00",
                            "2024-12-31T24:00", "2024-12-31T12:60", "2024/12/31T12:00",
                            "2024-12/31T12:00", "2024-12-31T12:00:00Zx", "2024/12/31 12:00Z",
                            "24-12-31T12:00"}) {
        EXPECT_FALSE(ParseUtcText(bad).has_value()) << bad;
    }
}

// (std::time may read a coarser clock that lags a tick behind.)
TEST(SystemClock, ReadsWholeSecondsOfTheSystemTime) {
    const auto seconds = [] {
        return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now())
            .time_since_epoch()
            .count();
    };
    const UtcSeconds before = seconds();
    const UtcSeconds now = SystemClock().NowUtc();
    EXPECT_GE(now, before);
    EXPECT_LE(now, seconds());
}

}  // namespace
}  // namespace tw::platform
