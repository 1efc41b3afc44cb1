#include "SkyModel.h"

#include <gtest/gtest.h>

#include <cmath>

// (Distances and bearings are compared with the real program's own in
// OutputTest; the MUF's rise with the sunspot number and by day, and its fall
// from hour to hour of the night, are checked through the programs and
// Tidewell's reader, for all three models, in the core stand-in tests.)

namespace tw::itshf {
namespace {

TEST(PathGeometry, ACircuitOfOnePointStaysFinite) {
    const PathGeometry p = ComputePath({12, 34, 12, 34});
    for (double v : {p.distanceKm, p.txAzimuth, p.rxAzimuth, p.midLat, p.midLon}) {
        EXPECT_TRUE(std::isfinite(v));
    }
    // A hop of no length goes straight up.
    EXPECT_DOUBLE_EQ(HopElevation(0, 300), 90);
}

// ---- The sky ----------------------------------------------------------------

SkyInputs Inputs(double ssn = 100, int month = 3) {
    SkyInputs in;
    in.month = month;
    in.sunspot = ssn;
    in.txGainDbi = 17;
    return in;
}

// A 2000 nmi path along 35N whose midpoint sits on the Greenwich meridian, so
// that UT is the midpoint's local time; by day at noon, by night at midnight.
class Sky : public ::testing::Test {
protected:
    FrequencyPrediction At(const HourSky& sky, double mhz) const {
        return PredictFrequency(in, path, sky, mhz);
    }

    const PathGeometry path = ComputePath({35, -20.5, 35, 20.5});
    const SkyInputs in = Inputs();
    const HourSky day = PredictHourSky(in, path, 12);
    const HourSky night = PredictHourSky(in, path, 0);
};

TEST_F(Sky, TheMufFollowsTheMidpointsTimeTheSeasonAndThePathLength) {
    // Midpoints at other longitudes: noon there is UT 12 - lon/15.
    for (double midLon : {-150.0, 90.0}) {
        const PathGeometry p = ComputePath({35, midLon - 20, 35, midLon + 20});
        const HourSky noon = PredictHourSky(in, p, 12 - midLon / 15);
        EXPECT_NEAR(noon.localTimeMid, 12, 1e-6) << midLon;
        EXPECT_GT(noon.muf, 1.5 * PredictHourSky(in, p, 24 - midLon / 15).muf) << midLon;
    }
    // Early morning at 40N: the summer sun is up, the winter sun is not; in
    // the southern hemisphere the seasons turn round.
    const auto muf = [](double lat, int month) {
        return PredictHourSky(Inputs(100, month), ComputePath({lat, -20, lat, 20}), 6).muf;
    };
    EXPECT_GT(muf(40, 6), 1.3 * muf(40, 12));
    EXPECT_LT(muf(-40, 6), muf(-40, 12));
    // Same midpoint, longer path (up to the longest single hop): more oblique
    // rays, higher MUF.
    double previous = 0;
    for (double halfSpan : {2.0, 5.0, 9.0, 13.0}) {
        const double m = PredictHourSky(in, ComputePath({0, -halfSpan, 0, halfSpan}), 12).muf;
        EXPECT_GT(m, previous) << halfSpan;
        previous = m;
    }
}

TEST_F(Sky, LowFrequenciesByDayLoseMostAndTravelByE) {
    const FrequencyPrediction day5 = At(day, 5), night5 = At(night, 5);
    EXPECT_GT(day5.absorptionDb, 3 * At(day, 15).absorptionDb);
    EXPECT_GT(day5.absorptionDb, 5 * night5.absorptionDb);
    EXPECT_LT(day5.snrDb, night5.snrDb);
    EXPECT_GT(day.luf, night.luf);
    const FrequencyPrediction low = At(day, 3.6), high = At(day, 18);
    EXPECT_EQ(low.ModeText().substr(3), " E");
    EXPECT_EQ(high.ModeText().substr(3), "F2");
    EXPECT_LT(low.virtualHeightKm, high.virtualHeightKm);
}

TEST_F(Sky, AboveTheMufSignalsFadeSmoothlyAndLevelOff) {
    double previous = 1e9;
    for (double ratio : {0.8, 0.9, 1.0, 1.3, 1.6, 2.0, 3.0}) {
        const FrequencyPrediction p = At(night, ratio * night.muf);
        EXPECT_LT(p.signalDbw, previous) << ratio;
        EXPECT_EQ(p.mufDay > 0.5, ratio < 1) << ratio;
        previous = p.signalDbw;
    }
    EXPECT_GT(At(night, 0.9 * night.muf).snrDb, At(night, 1.6 * night.muf).snrDb + 25);
    // Far above, little more than the free-space loss of the higher frequency.
    const FrequencyPrediction sixfold = At(night, 6 * night.muf);
    EXPECT_LT(previous - sixfold.signalDbw, 20 * std::log10(2.0) + 1);
    EXPECT_GT(sixfold.snrDb, -60);

    // The loss of a mode near its MUF: about 3 dB at the MUF, under 1 dB below
    // 0.85 MUF, and continuous where the far tail switches to its closed form
    // (5.5 MUF).
    EXPECT_NEAR(MufLossDb(1.0), 3.0, 0.02);
    EXPECT_LT(MufLossDb(0.85), 1.0);
    previous = 0;
    for (double ratio = 0.5; ratio <= 8.0; ratio += 0.05) {
        EXPECT_GT(MufLossDb(ratio), previous) << ratio;
        EXPECT_TRUE(std::isfinite(MufLossDb(ratio))) << ratio;
        previous = MufLossDb(ratio);
    }
    EXPECT_NEAR(MufLossDb(5.5 - 1e-9), MufLossDb(5.5 + 1e-9), 0.01);
}

// ICEPAC adds auroral absorption on high-latitude paths only.
TEST_F(Sky, NoiseReliabilityAndAuroralAbsorptionFollowTheDeck) {
    SkyInputs noisy = in, strict = in, icepac = in;
    noisy.noise3MHzDbw += 10;
    strict.reliabilityPct = 90;
    icepac.auroral = true;
    const FrequencyPrediction quiet = At(night, 7);
    EXPECT_NEAR(quiet.snrDb - PredictFrequency(noisy, path, night, 7).snrDb, 10, 1e-9);
    EXPECT_GT(At(night, 3).noiseDbw, At(night, 14).noiseDbw);
    EXPECT_LT(PredictFrequency(strict, path, night, 7).snrAtReliabilityDb,
              quiet.snrAtReliabilityDb - 5);
    // The normal quantiles of the reliabilities a deck may ask for.
    EXPECT_NEAR(NormalQuantile(0.01), -2.3263, 1e-4);
    EXPECT_NEAR(NormalQuantile(0.9), 1.2816, 1e-4);
    EXPECT_NEAR(NormalQuantile(0.99), 2.3263, 1e-4);
    const auto auroralLoss = [&](double lat) {
        const PathGeometry p = ComputePath({lat, -20, lat, 20});
        const HourSky s = PredictHourSky(in, p, 0);
        return PredictFrequency(in, p, s, 7).signalDbw -
               PredictFrequency(icepac, p, s, 7).signalDbw;
    };
    EXPECT_GT(auroralLoss(65), 3);
    EXPECT_DOUBLE_EQ(auroralLoss(10), 0);
}

// The demo showed -701 dBW and an SNR of -590 dB at 28 MHz with a 9 MHz MUF.
// Real predictions for frequencies far above the MUF, and for low frequencies
// at noon on long paths, stay within a readable band.
TEST_F(Sky, SignalsAndSnrsStayInAPlausibleBandEverywhere) {
    double lowestSignal = 0, lowestSnr = 1e9;
    for (double km : {300.0, 2000.0, 8000.0, 19000.0}) {
        for (double lat : {-50.0, 0.0, 30.0}) {
            const double half = km / kEarthRadiusKm / M_PI * 180 / 2;
            const PathGeometry p = ComputePath({lat, -half, lat, half});
            for (const auto& [month, ssn] : {std::pair{1, 0.0}, {1, 250.0}, {6, 0.0}, {6, 250.0}}) {
                SkyInputs wide = Inputs(ssn, month);
                wide.minAngleDeg = 10;
                wide.auroral = true;
                for (int hour = 0; hour < 24; hour += 3) {
                    const HourSky sky = PredictHourSky(wide, p, hour);
                    for (double f = 2; f <= 30; f += 2) {
                        const FrequencyPrediction x = PredictFrequency(wide, p, sky, f);
                        lowestSignal = std::min(lowestSignal, x.signalDbw);
                        lowestSnr = std::min(lowestSnr, x.snrAtReliabilityDb);
                    }
                }
            }
        }
    }
    EXPECT_GT(lowestSignal, -205);
    EXPECT_GT(lowestSnr, -60);
    // The band is used: closed paths do show very low values.
    EXPECT_LT(lowestSignal, -170);
    EXPECT_LT(lowestSnr, -20);
}

// Night: the residual ionisation decays from dusk to dawn.
TEST(Night, FactorIsOneByDayAndFallsEveryMinuteOfTheNight) {
    for (const auto& [lat, month] :
         {std::pair{35.0, 3}, {40.0, 6}, {40.0, 12}, {10.0, 9}, {-40.0, 12}}) {
        SCOPED_TRACE(std::to_string(lat) + " month " + std::to_string(month));
        // Longitude 0: UT is local time.
        EXPECT_GT(NightFactor(lat, 0, 13, month), 0.95);
        // Walk the day minute by minute: continuous, and falling all night.
        const double minute = 1.0 / 60;
        double previous = NightFactor(lat, 0, 0, month), lowest = previous;
        int nightSteps = 0;
        for (int step = 1; step <= 24 * 60; ++step) {
            const double hour = step * minute;
            const double g = NightFactor(lat, 0, hour, month);
            EXPECT_LT(std::fabs(g - previous), 0.015) << hour;
            if (CosSolarZenith(lat, 0, hour, month) < -0.1 &&
                CosSolarZenith(lat, 0, hour - minute, month) < -0.1) {
                EXPECT_LT(g, previous) << hour;
                ++nightSteps;
            }
            lowest = std::min(lowest, g);
            previous = g;
        }
        // So it is lowest at dawn, and well down by then.
        EXPECT_GT(nightSteps, 6 * 60);
        EXPECT_LT(lowest, 0.5);
    }
    // Polar day and polar night have no cycle.
    for (double hour : {0.0, 6.0, 12.0, 18.0}) {
        EXPECT_DOUBLE_EQ(NightFactor(80, 0, hour, 6), 1.0);
        EXPECT_DOUBLE_EQ(NightFactor(80, 0, hour, 12), 0.0);
    }
}

}  // namespace
}  // namespace tw::itshf
