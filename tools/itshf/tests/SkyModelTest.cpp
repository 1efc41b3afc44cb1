#include "SkyModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw::itshf {
namespace {

// The distances and bearings the real program printed for the same circuits
// (its-samples: Guam and Honolulu to 38.60N 120.30W).
TEST(PathGeometry, DistanceAndBearingsMatchTheProgramsOwn) {
    struct Case {
        Circuit circuit;
        double km, txAz, rxAz;
    };
    for (const Case& c : {Case{{13.5, 144.8, 38.6, -120.3}, 9491.2, 51.37, 283.59},
                          Case{{21.3, -157.9, 38.6, -120.3}, 4061.6, 53.23, 252.74}}) {
        const PathGeometry p = ComputePath(c.circuit);
        EXPECT_NEAR(p.distanceKm, c.km, 0.6);
        EXPECT_NEAR(p.txAzimuth, c.txAz, 0.02);
        EXPECT_NEAR(p.rxAzimuth, c.rxAz, 0.02);
    }
}

TEST(PathGeometry, MidpointLiesHalfWayAndDegenerateCircuitsStayFinite) {
    const PathGeometry equator = ComputePath({0, 0, 0, 40});
    EXPECT_NEAR(equator.midLat, 0, 1e-9);
    EXPECT_NEAR(equator.midLon, 20, 1e-9);
    EXPECT_NEAR(equator.distanceKm, 40 * M_PI / 180 * kEarthRadiusKm, 1e-6);

    const PathGeometry dateLine = ComputePath({10, 170, 10, -170});
    EXPECT_NEAR(std::fabs(dateLine.midLon), 180, 1e-6);

    for (const Circuit& c : {Circuit{12, 34, 12, 34}, Circuit{0, 0, 0, 180}, Circuit{90, 0, -90, 0}}) {
        const PathGeometry p = ComputePath(c);
        for (double v : {p.distanceKm, p.txAzimuth, p.rxAzimuth, p.midLat, p.midLon}) EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_EQ(ComputePath({12, 34, 12, 34}).distanceKm, 0);
}

TEST(Hops, LongerPathsNeedMoreHopsAndTheELayerMoreThanF2) {
    EXPECT_DOUBLE_EQ(HopElevation(0, 300), 90);
    int previous = 0;
    for (double km : {500.0, 2000.0, 4000.0, 8000.0, 16000.0}) {
        const int f2 = HopCount(km, 300, 10);
        EXPECT_GE(f2, previous) << km;
        EXPECT_GE(HopCount(km, 110, 10), f2) << km;
        EXPECT_GE(HopElevation(km / f2, 300), 10) << km;
        if (f2 > 1) {
            EXPECT_LT(HopElevation(km / (f2 - 1), 300), 10) << km;
        }
        previous = f2;
    }
    EXPECT_GT(HopCount(16000, 300, 10), HopCount(2000, 300, 10));
    EXPECT_EQ(HopCount(3000, 300, 0.5), 1);
}

TEST(Normal, QuantileInvertsTheDistribution) {
    for (double p : {0.01, 0.1, 0.5, 0.9, 0.99}) EXPECT_NEAR(NormalCdf(NormalQuantile(p)), p, 1e-7);
    EXPECT_NEAR(NormalQuantile(0.9), 1.2816, 1e-4);
}

// ---- The sky ----------------------------------------------------------------

// A 2000 nmi path along 35N whose midpoint sits on the Greenwich meridian, so
// that UT is the midpoint's local time.
const Circuit kPath2000{35, -20.5, 35, 20.5};

SkyInputs Inputs(double ssn = 100, int month = 3) {
    SkyInputs in;
    in.month = month;
    in.sunspot = ssn;
    in.minAngleDeg = 3;
    in.txGainDbi = 17;
    return in;
}

// (The MUF's rise with the sunspot number is checked through the programs
// and Tidewell's reader, for all three models, in the core stand-in tests.)
TEST(Sky, MufIsHigherByDayAtTheMidpointThanAtNight) {
    // Midpoints at several longitudes: noon there is UT 12 - lon/15.
    for (double midLon : {-150.0, -60.0, 0.0, 90.0}) {
        const PathGeometry path = ComputePath({35, midLon - 20, 35, midLon + 20});
        const double noonUt = std::fmod(12 - midLon / 15 + 48, 24);
        const double midnightUt = std::fmod(noonUt + 12, 24);
        const HourSky day = PredictHourSky(Inputs(), path, noonUt);
        const HourSky night = PredictHourSky(Inputs(), path, midnightUt);
        EXPECT_NEAR(day.localTimeMid, 12, 0.5);
        EXPECT_GT(day.muf, 1.5 * night.muf) << midLon;
        EXPECT_GT(day.luf, night.luf) << midLon;
    }
}

TEST(Sky, MufFollowsTheSeasonAndThePathLength) {
    // Early morning at 40N: the summer sun is up, the winter sun is not.
    const PathGeometry path = ComputePath({40, -20, 40, 20});
    EXPECT_GT(PredictHourSky(Inputs(100, 6), path, 6).muf, 1.3 * PredictHourSky(Inputs(100, 12), path, 6).muf);
    // In the southern hemisphere the seasons turn round.
    const PathGeometry south = ComputePath({-40, -20, -40, 20});
    EXPECT_LT(PredictHourSky(Inputs(100, 6), south, 6).muf, PredictHourSky(Inputs(100, 12), south, 6).muf);

    // Same midpoint, longer path (up to the longest single hop): more oblique
    // rays, higher MUF.
    double previous = 0;
    for (double halfSpan : {2.0, 5.0, 9.0, 13.0}) {
        const double muf = PredictHourSky(Inputs(), ComputePath({0, -halfSpan, 0, halfSpan}), 12).muf;
        EXPECT_GT(muf, previous) << halfSpan;
        previous = muf;
    }
}

TEST(Sky, LowFrequenciesLoseMostByDay) {
    const PathGeometry path = ComputePath(kPath2000);
    const SkyInputs in = Inputs();
    const HourSky day = PredictHourSky(in, path, 12);
    const HourSky night = PredictHourSky(in, path, 0);
    const FrequencyPrediction day5 = PredictFrequency(in, path, day, 5);
    const FrequencyPrediction day15 = PredictFrequency(in, path, day, 15);
    const FrequencyPrediction night5 = PredictFrequency(in, path, night, 5);
    EXPECT_GT(day5.absorptionDb, 3 * day15.absorptionDb);
    EXPECT_GT(day5.absorptionDb, 5 * night5.absorptionDb);
    EXPECT_LT(day5.snrDb, night5.snrDb);
    EXPECT_LT(day.luf, day.muf);
}

TEST(Sky, FrequenciesAboveTheMufFadeAndNoiseFollowsTheDeck) {
    const PathGeometry path = ComputePath(kPath2000);
    SkyInputs in = Inputs();
    const HourSky night = PredictHourSky(in, path, 0);
    const FrequencyPrediction below = PredictFrequency(in, path, night, 0.9 * night.muf);
    const FrequencyPrediction above = PredictFrequency(in, path, night, 1.6 * night.muf);
    EXPECT_GT(below.snrDb, above.snrDb + 25);
    EXPECT_GT(above.mufLossDb, 25);
    EXPECT_LT(below.mufLossDb, 2);
    EXPECT_GT(below.mufDay, 0.5);
    EXPECT_LT(above.mufDay, 0.5);

    SkyInputs noisy = in;
    noisy.noise3MHzDbw = in.noise3MHzDbw + 10;
    const FrequencyPrediction quiet = PredictFrequency(in, path, night, 7);
    const FrequencyPrediction loud = PredictFrequency(noisy, path, night, 7);
    EXPECT_NEAR(loud.noiseDbw - quiet.noiseDbw, 10, 1e-9);
    EXPECT_NEAR(quiet.snrDb - loud.snrDb, 10, 1e-9);
    EXPECT_GT(PredictFrequency(in, path, night, 3).noiseDbw, PredictFrequency(in, path, night, 14).noiseDbw);

    SkyInputs strict = in;
    strict.reliabilityPct = 90;
    EXPECT_LT(PredictFrequency(strict, path, night, 7).snrAtReliabilityDb, quiet.snrAtReliabilityDb - 5);
}

TEST(Sky, TheMufLossRisesSmoothlyAndTheExcessLossHasACeiling) {
    // About 3 dB at the MUF, under 1 dB well below it, steep above it, and
    // continuous where the far tail switches to its closed form.
    EXPECT_NEAR(MufLossDb(1.0), 10 * std::log10(2.0), 1e-9);
    EXPECT_LT(MufLossDb(0.85), 1.0);
    EXPECT_LT(MufLossDb(0.5), 0.01);
    double previous = 0;
    for (double ratio = 0.5; ratio <= 8.0; ratio += 0.05) {
        const double loss = MufLossDb(ratio);
        EXPECT_GT(loss, previous) << ratio;
        EXPECT_TRUE(std::isfinite(loss)) << ratio;
        previous = loss;
    }
    const double tailSwitch = 1 + 30 * 0.15;
    EXPECT_NEAR(MufLossDb(tailSwitch - 1e-9), MufLossDb(tailSwitch + 1e-9), 0.01);

    const struct {
        double raw, low, high;
    } cases[] = {{0, 0, 0}, {1, 0.99, 1}, {20, 17, 18}, {80, 50, 51}, {500, 79.8, 80}, {1e6, 79.99, 80}};
    for (const auto& c : cases) {
        const double v = SaturatedDb(c.raw, kExcessLossCeilingDb);
        EXPECT_GE(v, c.low) << c.raw;
        EXPECT_LE(v, c.high) << c.raw;
    }
}

// The demo showed -701 dBW and an SNR of -590 dB at 28 MHz with a 9 MHz MUF.
// Real predictions for frequencies far above the MUF, and for low frequencies
// at noon on long paths, stay within a readable band.
TEST(Sky, SignalsAndSnrsStayInAPlausibleBandEverywhere) {
    double lowestSignal = 0, lowestSnr = 1e9;
    for (double km : {300.0, 2000.0, 8000.0, 19000.0}) {
        for (double lat : {-50.0, 0.0, 30.0}) {
            const double half = km / kEarthRadiusKm / M_PI * 180 / 2;
            const PathGeometry path = ComputePath({lat, -half, lat, half});
            for (int month : {1, 6}) {
                for (double ssn : {0.0, 250.0}) {
                    SkyInputs in = Inputs(ssn, month);
                    in.minAngleDeg = 10;
                    in.auroral = true;
                    for (int hour = 0; hour < 24; hour += 3) {
                        const HourSky sky = PredictHourSky(in, path, hour);
                        for (double f = 2; f <= 30; f += 2) {
                            const FrequencyPrediction p = PredictFrequency(in, path, sky, f);
                            lowestSignal = std::min(lowestSignal, p.signalDbw);
                            lowestSnr = std::min(lowestSnr, p.snrAtReliabilityDb);
                            EXPECT_LE(p.excessLossDb, kExcessLossCeilingDb);
                        }
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

TEST(Sky, FarAboveTheMufTheSnrKeepsFallingButLevelsOff) {
    const PathGeometry path = ComputePath(kPath2000);
    const SkyInputs in = Inputs();
    const HourSky night = PredictHourSky(in, path, 2);
    double previous = 1e9;
    for (double ratio : {0.8, 1.0, 1.3, 1.6, 2.0, 3.0}) {
        const FrequencyPrediction p = PredictFrequency(in, path, night, ratio * night.muf);
        EXPECT_LT(p.signalDbw, previous) << ratio;
        previous = p.signalDbw;
    }
    // Far above, little more than the free-space loss of the higher frequency.
    const FrequencyPrediction thrice = PredictFrequency(in, path, night, 3 * night.muf);
    const FrequencyPrediction sixfold = PredictFrequency(in, path, night, 6 * night.muf);
    EXPECT_LT(thrice.signalDbw - sixfold.signalDbw, 20 * std::log10(2.0) + 1);
    EXPECT_GT(sixfold.snrDb, -60);
}

// Night: the residual ionisation decays from dusk to dawn.
TEST(Night, FactorIsOneByDayAndFallsEveryHourOfTheNight) {
    for (const auto& [lat, month] : {std::pair{35.0, 3}, std::pair{40.0, 6}, std::pair{40.0, 12}, std::pair{10.0, 9},
                                     std::pair{-40.0, 12}}) {
        SCOPED_TRACE(std::to_string(lat) + " month " + std::to_string(month));
        // Longitude 0: UT is local time.
        EXPECT_GT(NightFactor(lat, 0, 13, month), 0.95);
        // Walk the day minute by minute: continuous, and falling all night.
        const double minute = 1.0 / 60;
        double previous = NightFactor(lat, 0, 0, month);
        int nightSteps = 0;
        double lowest = previous, lowestAt = 0;
        for (int step = 1; step <= 24 * 60; ++step) {
            const double hour = step * minute;
            const double g = NightFactor(lat, 0, hour, month);
            EXPECT_LT(std::fabs(g - previous), 0.015) << hour;
            if (CosSolarZenith(lat, 0, hour, month) < -0.1 && CosSolarZenith(lat, 0, hour - minute, month) < -0.1) {
                EXPECT_LT(g, previous) << hour;
                ++nightSteps;
            }
            if (g < lowest) {
                lowest = g;
                lowestAt = hour;
            }
            previous = g;
        }
        EXPECT_GT(nightSteps, 6 * 60);
        // Lowest just before dawn: the sun is still down then and up an hour later.
        EXPECT_LT(CosSolarZenith(lat, 0, lowestAt, month), -0.09);
        EXPECT_GT(CosSolarZenith(lat, 0, lowestAt + 1, month), -0.1);
        EXPECT_LT(lowestAt, 12);
        EXPECT_LT(lowest, 0.5);
    }
}

TEST(Night, PolarDayAndNightHaveNoCycle) {
    for (double hour : {0.0, 6.0, 12.0, 18.0}) {
        EXPECT_DOUBLE_EQ(NightFactor(80, 0, hour, 6), 1.0);
        EXPECT_DOUBLE_EQ(NightFactor(80, 0, hour, 12), 0.0);
    }
}

TEST(Sky, TheNightMufFallsHourByHourAndTheSnrsFollow) {
    // kPath2000 in March: dusk at the midpoint about 18:40 UT, dawn about 05:20.
    const PathGeometry path = ComputePath(kPath2000);
    const SkyInputs in = Inputs();
    double previousMuf = PredictHourSky(in, path, 19).muf;
    for (int hour : {20, 21, 22, 23, 24, 1, 2, 3, 4, 5}) {
        const HourSky sky = PredictHourSky(in, path, hour);
        // A little lower every hour, never a plunge.
        EXPECT_LT(sky.muf, previousMuf) << hour;
        EXPECT_GT(sky.muf, 0.85 * previousMuf) << hour;
        previousMuf = sky.muf;
    }
    // Between 02 and 03 UT the frequencies near the MUF lose at least a dB,
    // as printed (whole dB): the hour's slope is no longer 0 everywhere.
    const HourSky two = PredictHourSky(in, path, 2);
    const HourSky three = PredictHourSky(in, path, 3);
    int changed = 0;
    for (double f : {3.6, 5.4, 7.1, 10.1, 14.1}) {
        const double a = std::round(PredictFrequency(in, path, two, f).snrAtReliabilityDb);
        const double b = std::round(PredictFrequency(in, path, three, f).snrAtReliabilityDb);
        EXPECT_LE(b, a) << f;
        if (b < a) ++changed;
    }
    EXPECT_GE(changed, 2);
}

TEST(Sky, LowFrequenciesByDayTravelByEAndTheModeTextHasFiveColumns) {
    const PathGeometry path = ComputePath(kPath2000);
    const HourSky day = PredictHourSky(Inputs(), path, 12);
    const FrequencyPrediction low = PredictFrequency(Inputs(), path, day, 3.6);
    const FrequencyPrediction high = PredictFrequency(Inputs(), path, day, 18);
    EXPECT_TRUE(low.layerE);
    EXPECT_FALSE(high.layerE);
    EXPECT_EQ(low.ModeText().size(), 5u);
    EXPECT_EQ(low.ModeText().substr(3), " E");
    EXPECT_EQ(high.ModeText().substr(3), "F2");
    EXPECT_LT(low.virtualHeightKm, high.virtualHeightKm);
}

TEST(Sky, IcepacAddsAuroralAbsorptionOnHighLatitudePathsOnly) {
    SkyInputs icepac = Inputs();
    icepac.auroral = true;
    const PathGeometry polar = ComputePath({65, -20, 65, 20});
    const PathGeometry tropical = ComputePath({10, -20, 10, 20});
    for (const PathGeometry* p : {&polar, &tropical}) {
        const HourSky s = PredictHourSky(Inputs(), *p, 0);
        const double plain = PredictFrequency(Inputs(), *p, s, 7).signalDbw;
        const double withAurora = PredictFrequency(icepac, *p, s, 7).signalDbw;
        if (p == &polar) {
            EXPECT_LT(withAurora, plain - 3);
        } else {
            EXPECT_DOUBLE_EQ(withAurora, plain);
        }
    }
}

}  // namespace
}  // namespace tw::itshf
