// Tidewell's own run driver with the real process service against the real
// ITS HF stand-in programs, installed in a temporary drive C: as the three
// program names: what the driver reads back must behave like the sky.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Process.h"
#include "propagation/Propagation.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUserInterface.h"
#include "support/Standins.h"

namespace tw {
namespace {

// The vessel of the demo (37.7N 25.7W) and a station about 2000 nautical
// miles west of it (Boston, FN42): the path's midpoint near 48W sees local
// noon at about 15:10 UTC and midnight at about 03:10 UTC.
const PropagationPositions kPath2000 {37.74, -25.67, 42.34, -71.06};

class PropagationStandin : public ::testing::TestWithParam<int> {
public:
    void SetUp() override {
        ASSERT_TRUE(m_drive.isValid());
        ASSERT_EQ(test::InstallStandins(m_drive.path()), QString());
        paths.SetDrive('c', m_drive.path().toStdString());
    }

    static QDateTime Utc(int month, int hour) {
        return QDateTime(QDate(2026, month, 15), QTime(hour, 0), Qt::UTC);
    }

    // One PropagationGet; the MUF read back in kHz.
    float Muf(const QDateTime& time, float ssn) {
        const std::vector<float> frequencies {7000.0f};
        EXPECT_TRUE(propagation.PropagationGet(GetParam(), time, kPath2000, frequencies, ssn, results, path))
            << ui.LastMessage().toStdString();
        return path.Muf.empty() ? 0.0f : path.Muf.front();
    }

    // The frequency with the best SNR of a list across the band.
    float BestFrequency(const QDateTime& time) {
        const std::vector<float> frequencies {3585.0f,  5357.0f,  7070.0f,  10145.5f, 12551.0f,
                                              14108.0f, 18106.0f, 21110.0f, 24925.5f, 28118.0f};
        EXPECT_TRUE(propagation.PropagationGet(GetParam(), time, kPath2000, frequencies, 100.0f, results, path))
            << ui.LastMessage().toStdString();
        const auto best = std::max_element(results.begin(), results.end(),
                                           [](const PropagationResult& a, const PropagationResult& b) {
                                               return a.Snr < b.Snr;
                                           });
        return best == results.end() ? 0.0f : best->Frequency;
    }

    QTemporaryDir m_drive;
    // The stand-ins' own model for VOACAP too, and none of their failure switches.
    test::ScopedEnv noVoacapl {"ITSHF_STANDIN_NO_VOACAPL", "1"};
    test::ScopedEnv noFail {"ITSHF_STANDIN_FAIL", nullptr};
    test::ScopedEnv noSleep {"ITSHF_STANDIN_SLEEP_MS", nullptr};
    Settings settings;
    test::ScriptedUserInterface ui;
    platform::PathMapper paths;
    std::unique_ptr<platform::IProcessRunner> runner = platform::MakeProcessRunner();
    platform::ManualClock clock {platform::UtcFromFields({2026, 3, 15, 12, 0, 0})};
    Propagation propagation {settings, ui, paths, *runner, clock};
    std::vector<PropagationResult> results;
    PropagationPath path;
};

TEST_P(PropagationStandin, TheMufRisesWithTheSunspotNumberDayAndNight) {
    for (int hour : {15, 3}) {
        float previous = 0.0f;
        for (float ssn : {10.0f, 100.0f, 200.0f}) {
            const float muf = Muf(Utc(3, hour), ssn);
            EXPECT_GT(muf, previous) << "hour " << hour << ", sunspot number " << ssn;
            previous = muf;
        }
    }
    // The path as the program read it.
    EXPECT_NEAR(path.Range, 2079.0f, 10.0f);
    EXPECT_TRUE(path.Valid);
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage().toStdString();
}

TEST_P(PropagationStandin, TheMufAndTheBestFrequencyRiseByDay) {
    for (int month : {3, 6, 12}) {
        SCOPED_TRACE(month);
        const float dayMuf = Muf(Utc(month, 15), 100.0f);
        const float nightMuf = Muf(Utc(month, 3), 100.0f);
        EXPECT_GT(dayMuf, 1.3f * nightMuf);
        EXPECT_GT(BestFrequency(Utc(month, 15)), BestFrequency(Utc(month, 3)));
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage().toStdString();
}

TEST_P(PropagationStandin, ConsecutiveNightHoursDiffer) {
    // The night's ionosphere decays hour by hour: the MUF falls and some SNR
    // near it changes, so the slope is not 0 everywhere.
    const std::vector<float> frequencies {3585.0f, 7070.0f, 10145.5f, 14108.0f};
    float previousMuf = 1e9f;
    for (int hour : {1, 2, 3, 4}) {
        ASSERT_TRUE(propagation.PropagationGet(GetParam(), Utc(3, hour), kPath2000, frequencies, 100.0f,
                                               results, path))
            << ui.LastMessage().toStdString();
        EXPECT_LT(path.Muf.front(), previousMuf) << hour;
        previousMuf = path.Muf.front();
        EXPECT_TRUE(std::any_of(results.begin(), results.end(),
                                [](const PropagationResult& r) { return r.SnrSlope != 0.0f; }))
            << hour;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, PropagationStandin,
                         ::testing::Values(ModelIcepac, ModelVoacap, ModelRec533),
                         [](const auto& info) { return PropagationModelName(info.param).toStdString(); });

}  // namespace
}  // namespace tw
