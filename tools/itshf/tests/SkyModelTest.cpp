#include "SkyModel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw::itshf {
namespace {

// The distances and bearings the real program printed for the same circuits
// (its-samples: Guam and Honolulu to 38.60N 120.30W).
struct PathCase {
    const char* name;
    Circuit circuit;
    double km, txAz, rxAz;
};

class PathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathTest, DistanceAndBearingsMatchTheProgramsOwn) {
    const PathCase& c = GetParam();
    const PathGeometry p = ComputePath(c.circuit);
    EXPECT_NEAR(p.distanceKm, c.km, 0.6);
    EXPECT_NEAR(p.txAzimuth, c.txAz, 0.02);
    EXPECT_NEAR(p.rxAzimuth, c.rxAz, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Samples, PathTest,
                         ::testing::Values(PathCase{"Guam", {13.5, 144.8, 38.6, -120.3}, 9491.2, 51.37, 283.59},
                                           PathCase{"Honolulu", {21.3, -157.9, 38.6, -120.3}, 4061.6, 53.23, 252.74}),
                         [](const auto& info) { return std::string(info.param.name); });

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

TEST(Sky, MufRisesWithTheSunspotNumberAtEveryHour) {
    const PathGeometry path = ComputePath(kPath2000);
    for (int hour : {1, 6, 12, 18}) {
        double previous = 0;
        for (double ssn : {0.0, 25.0, 50.0, 100.0, 150.0, 200.0}) {
            const double muf = PredictHourSky(Inputs(ssn), path, hour).muf;
            EXPECT_GT(muf, previous) << "hour " << hour << " ssn " << ssn;
            previous = muf;
        }
    }
}

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
    EXPECT_GT(below.snrDb, above.snrDb + 30);
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
