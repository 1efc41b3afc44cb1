/*
 * The stand-in's sky model
 * ========================
 *
 * This is NOT the ITS HF prediction method.  It is a small, deterministic
 * estimate whose only purpose is to give Tidewell (its demo and its tests) an
 * HF sky that behaves plausibly: the MUF follows the sunspot number, the time
 * of day at the path's midpoint, the season and the path length; low
 * frequencies lose most by day; long paths need more hops.  No randomness,
 * no tables, no files: every number below comes from the formulas here.
 *
 * Geometry.  Spherical earth of radius R = 6370 km.  Great-circle distance d
 * (haversine), the bearings at both ends, and the midpoint (half way along the
 * great circle).  Every ionospheric quantity is taken at the midpoint.
 *
 * Sun.  Declination for the middle of the month,
 *     delta = -23.44 deg * cos(2 pi (doy + 10) / 365),  doy = 30.4 (month - 1) + 15;
 * mean solar time at the midpoint  LT = UT + lon / 15;  and
 *     cos chi = sin(lat) sin(delta) + cos(lat) cos(delta) cos(15 deg (LT - 12)).
 * The season enters only through delta (longer, higher sun in local summer).
 *
 * Day factor.  D = sqrt(max(0, (cos chi + 0.1) / 1.1)): 0 at night, rising
 * through twilight (the sun up to about 6 degrees below the horizon) to 1 with
 * the sun overhead.
 *
 * Night.  After dusk (the sun 6 degrees below the horizon, where D reaches
 * 0) the ionisation left over from the day decays; it is lowest just before
 * dawn and recovers through the morning.  The night factor G follows
 *     G = G_dusk exp(-t / 4 h)                 t hours since dusk,
 *     G = 1 - (1 - G_dawn) exp(-s / 1.5 h)     s hours since dawn,
 * where G_dawn = G_dusk exp(-night / 4 h) and G_dusk is chosen so that the
 * two meet at dusk as well:  G_dusk = (1 - e_d) / (1 - e_n e_d),
 * e_n = exp(-night / 4 h), e_d = exp(-day / 1.5 h) (night and day being the
 * hours the sun spends below and above 6 degrees under the horizon at the
 * midpoint).  So G is continuous all day, about 1 from late morning to
 * dusk, and falls a little every hour of the night.  Where the sun does not
 * go down G = 1; where it does not come up G = 0.
 *
 * Layers (R = the deck's sunspot number, limited to 0..300):
 *     foF2 = fF2 * (2.2 (0.55 + 0.45 G) + 4.2 D W) * (1 + 0.005 R)       MHz
 *     foE  = fE * max(0.5, 0.9 * ((180 + 1.44 R) * max(cos chi, 0))^0.25) MHz
 *     h'F2 = 300 km,  h'E = 110 km,  D-layer at 100 km (fixed heights keep
 *     the hop count, and with it the MUF, steady through the day)
 * (fE, fF2: the deck's layer multipliers, 1 by default).  W is the winter
 * anomaly of the daytime F2 layer: W = 1 - 0.15 sin(lat) sin(delta) / sin(23.44 deg),
 * up to 1.15 in local midwinter and down to 0.85 in midsummer, so that the
 * longer, higher summer sun does not make summer days the best for F2.
 * The night's foF2 thus falls from 2.2 MHz (at R = 0) after dusk to about
 * 1.3 MHz before dawn.
 *
 * Hops.  A hop of ground length s reflected at height h leaves the ground at
 *     elevation = atan((cos t - R/(R+h)) / sin t),  t = s / (2R);
 * a mode uses the fewest hops n (1..99) whose elevation is at least the deck's
 * minimum takeoff angle (at least 0.5 degrees).  Angle of incidence at height
 * h: sin i = R cos(elevation) / (R + h).
 *
 * MUF.  MUF(F2) = foF2 * sec i at h'F2 for the F2 mode; the path MUF is the
 * larger of MUF(F2) and the E-layer MUF of the E mode.  FOT = 0.85 MUF,
 * HPF = 1.2 MUF.
 *
 * Mode of a frequency f.  The E layer screens the F2 ray when
 * f <= foE * sec i_E at the F2 mode's elevation; such a frequency travels by
 * E (n_E hops at the E height), every other by F2 (n_F2 hops).  The mode's
 * own MUF is foE or foF2 times its secant.
 *
 * Loss (dB) of a mode with n hops, elevation a, slant length p (km): free
 * space, a constant, and the excess loss X:
 *     free space     32.45 + 20 log10 f + 20 log10 p
 *     other          10 dB
 *     X = 80 (1 - exp(-(A + M + B + U) / 80)), with the raw parts
 *       absorption   A = n * 677.2 * sec i_D * I / ((f + 1.4)^1.98 + 10.2),
 *                    I = (1 + 0.0037 R) * max(cos(0.881 chi)^1.3, 0.1^1.3 (0.5 + 0.5 G))
 *                    (large by day at low frequencies, small at night and
 *                    decaying with the night factor)
 *       near the MUF M = -10 log10(Phi((1 - f / MUF_mode) / 0.15)): the median
 *                    signal weakened by the share of days on which the mode
 *                    is closed (3 dB at the mode's MUF, under 1 dB below 0.85
 *                    MUF, about 45 dB at 1.6 MUF, growing without bound)
 *       ground       B = 2 dB per reflection between hops (n - 1)
 *       auroral      U, ICEPAC flavour only: (1 + Q) dB per hop when the
 *                    midpoint lies poleward of 55 degrees
 * The soft ceiling of 80 dB keeps X close to the raw sum while that is small
 * (a 20 dB raw sum gives 18 dB) and never lets it pass 80 dB: a frequency far
 * above the MUF, or a low frequency at noon on a long path, is as closed at
 * 80 dB as at 500, and the printed values stay readable (signals above about
 * -200 dBW, SNRs above about -60 dB) where the raw sum gave -700 dBW at
 * 28 MHz under a 9 MHz MUF.  (The real programs also print very low values
 * for such paths, down to -300 dBW and below; the ceiling is this stand-in's
 * choice.)  The absorption and MUF loss reported are their shares of X.
 *
 * Signal, noise.  Signal S = 10 log10(P W) + Gt + Gr - loss (dBW).  The gains
 * are the number in a "CONSTnn" antenna file name (dBi), else 0.  Noise in
 * 1 Hz, falling with frequency like man-made noise from the deck's level at
 * 3 MHz:  N = N3 - 27.7 log10(f / 3).  SNR = S - N (dB in 1 Hz).
 *
 * Reliability.  Day-to-day spread sigma = 8 dB, growing smoothly to 12 dB
 * above the mode's MUF: sigma = 8 + 4 (1 - Phi((1 - f / MUF_mode) / 0.15)).
 * SNR at the required reliability r: SNR - z(r) sigma, z the normal quantile;
 * reliability = Phi((SNR - required SNR) / sigma); the method 20 table
 * prints the SNR's decile spreads (SNR LW, SNR UP) as 1.28 sigma.  MUFday =
 * fraction of days with f below the MUF = Phi((MUF - f) / (0.15 MUF)).
 *
 * LUF.  The lowest frequency, searched from 1.00 MHz in 0.05 MHz steps up to
 * the MUF, whose SNR at the required reliability reaches the required SNR.
 * When none does, the path is closed: the method 26 table prints the LUF as
 * the MUF with a minus sign, as the real program does for a closed path.
 *
 * Field strength (REC533 output).  The "DBU" row is written so that the
 * signal power is recovered by S = E - 137 - 20 log10(f / 20 MHz).
 *
 * Delay and virtual height.  Group delay = slant length / c; the virtual
 * height printed is the mode's reflection height.
 */

#include "SkyModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tw::itshf {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kHeightF2 = 300.0;
constexpr double kHeightE = 110.0;
constexpr double kHeightD = 100.0;
constexpr double kLightKmPerMs = 299.792458;
constexpr double kNightDecayHours = 4.0;     // residual ionisation after dusk
constexpr double kMorningRiseHours = 1.5;    // its recovery after dawn
constexpr double kDayFactorZeroCos = -0.1;   // cos chi where the day factor reaches 0
constexpr double kMufSpread = 0.15;          // day-to-day spread of the MUF, as a fraction

double Clamp(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

double NormalizeDegrees(double deg) {
    double r = std::fmod(deg, 360.0);
    if (r < 0) r += 360.0;
    return r;
}

// The basics of one propagation mode over the path.
struct ModeGeometry {
    int hops = 1;
    double elevation = 90;   // degrees
    double slantKm = 0;      // whole path
};

ModeGeometry Mode(double distanceKm, double heightKm, double minAngleDeg) {
    ModeGeometry m;
    m.hops = HopCount(distanceKm, heightKm, minAngleDeg);
    const double hop = distanceKm / m.hops;
    m.elevation = HopElevation(hop, heightKm);
    const double t = hop / (2 * kEarthRadiusKm);
    const double r = kEarthRadiusKm;
    const double rh = kEarthRadiusKm + heightKm;
    const double half = std::sqrt(std::max(0.0, r * r + rh * rh - 2 * r * rh * std::cos(t)));
    m.slantKm = m.hops * 2 * half;
    return m;
}

double SunspotUsed(const SkyInputs& in) { return Clamp(in.sunspot, 0, 300); }

double MinAngle(const SkyInputs& in) { return std::max(0.5, in.minAngleDeg); }

}  // namespace

std::string FrequencyPrediction::ModeText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d%s", std::clamp(hops, 1, 99), layerE ? " E" : "F2");
    return buf;
}

PathGeometry ComputePath(const Circuit& c) {
    PathGeometry p;
    const double lat1 = c.txLat * kDeg, lon1 = c.txLon * kDeg;
    const double lat2 = c.rxLat * kDeg, lon2 = c.rxLon * kDeg;
    const double dLat = lat2 - lat1, dLon = lon2 - lon1;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
    const double central = 2 * std::asin(std::sqrt(Clamp(h, 0, 1)));
    p.distanceKm = central * kEarthRadiusKm;

    auto bearing = [](double fromLat, double fromLon, double toLat, double toLon) {
        const double dl = toLon - fromLon;
        const double y = std::sin(dl) * std::cos(toLat);
        const double x = std::cos(fromLat) * std::sin(toLat) -
                         std::sin(fromLat) * std::cos(toLat) * std::cos(dl);
        if (std::fabs(x) < 1e-15 && std::fabs(y) < 1e-15) return 0.0;
        return NormalizeDegrees(std::atan2(y, x) / kDeg);
    };
    p.txAzimuth = bearing(lat1, lon1, lat2, lon2);
    p.rxAzimuth = bearing(lat2, lon2, lat1, lon1);

    // Walk half the distance from the transmitter along its bearing.
    const double az = p.txAzimuth * kDeg;
    const double half = central / 2;
    const double midLat = std::asin(Clamp(
        std::sin(lat1) * std::cos(half) + std::cos(lat1) * std::sin(half) * std::cos(az), -1, 1));
    const double midLon = lon1 + std::atan2(std::sin(az) * std::sin(half) * std::cos(lat1),
                                            std::cos(half) - std::sin(lat1) * std::sin(midLat));
    p.midLat = midLat / kDeg;
    p.midLon = NormalizeDegrees(midLon / kDeg + 180) - 180;
    return p;
}

double LocalMeanTime(double hourUt, double lonDeg) {
    double t = std::fmod(hourUt + lonDeg / 15.0, 24.0);
    if (t < 0) t += 24.0;
    return t;
}

double SolarDeclination(int month) {
    const double doy = 30.4 * (std::clamp(month, 1, 12) - 1) + 15;
    return -23.44 * std::cos(2 * kPi * (doy + 10) / 365.0);
}

double CosSolarZenith(double latDeg, double lonDeg, double hourUt, int month) {
    const double decl = SolarDeclination(month) * kDeg;
    const double lat = latDeg * kDeg;
    const double hourAngle = 15.0 * (LocalMeanTime(hourUt, lonDeg) - 12.0) * kDeg;
    return std::sin(lat) * std::sin(decl) + std::cos(lat) * std::cos(decl) * std::cos(hourAngle);
}

double NightFactor(double latDeg, double lonDeg, double hourUt, int month) {
    const double decl = SolarDeclination(month) * kDeg;
    const double lat = latDeg * kDeg;
    const double across = std::cos(lat) * std::cos(decl);
    // The hour angle at which the sun passes 6 degrees below the horizon.
    const double cosH0 =
        std::fabs(across) < 1e-12 ? (kDayFactorZeroCos - std::sin(lat) * std::sin(decl) > 0 ? 2.0 : -2.0)
                                  : (kDayFactorZeroCos - std::sin(lat) * std::sin(decl)) / across;
    if (cosH0 <= -1) return 1.0;  // the sun stays up
    if (cosH0 >= 1) return 0.0;   // the sun never comes up
    const double h0Hours = std::acos(cosH0) / kDeg / 15.0;
    const double dayHours = 2 * h0Hours;
    const double nightHours = 24 - dayHours;
    const double en = std::exp(-nightHours / kNightDecayHours);
    const double ed = std::exp(-dayHours / kMorningRiseHours);
    const double atDusk = (1 - ed) / (1 - en * ed);
    const double atDawn = atDusk * en;

    const double local = LocalMeanTime(hourUt, lonDeg);
    const double sinceDawn = std::fmod(local - (12 - h0Hours) + 48, 24.0);
    if (sinceDawn <= dayHours) return 1 - (1 - atDawn) * std::exp(-sinceDawn / kMorningRiseHours);
    return atDusk * std::exp(-(sinceDawn - dayHours) / kNightDecayHours);
}

double SaturatedDb(double raw, double ceilingDb) {
    if (raw <= 0) return raw;
    return ceilingDb * -std::expm1(-raw / ceilingDb);
}

double MufLossDb(double ratio) {
    const double z = (1 - ratio) / kMufSpread;
    double raw;
    if (z > -30) {
        raw = -10 * std::log10(NormalCdf(z));
    } else {
        // Far out in the tail Phi(z) ~ phi(z) / -z; its logarithm directly.
        raw = 10 / std::log(10.0) * (z * z / 2 + std::log(-z * std::sqrt(2 * kPi)));
    }
    return raw;
}

double HopElevation(double hopKm, double heightKm) {
    const double t = hopKm / (2 * kEarthRadiusKm);
    if (t < 1e-9) return 90.0;
    const double ratio = kEarthRadiusKm / (kEarthRadiusKm + heightKm);
    return std::atan2(std::cos(t) - ratio, std::sin(t)) / kDeg;
}

int HopCount(double distanceKm, double heightKm, double minAngleDeg) {
    for (int n = 1; n < 99; ++n) {
        if (HopElevation(distanceKm / n, heightKm) >= minAngleDeg) return n;
    }
    return 99;
}

double IncidenceSecant(double elevationDeg, double heightKm) {
    const double s = kEarthRadiusKm * std::cos(elevationDeg * kDeg) / (kEarthRadiusKm + heightKm);
    const double c = std::sqrt(std::max(1e-6, 1 - s * s));
    return 1.0 / c;
}

double NormalCdf(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

static double AcklamQuantile(double p) {
    // Acklam's rational approximation (relative error below 1.2e-9).
    p = Clamp(p, 1e-9, 1 - 1e-9);
    static const double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                               -2.759285104469687e+02, 1.383577518672690e+02,
                               -3.066479806614716e+01, 2.506628277459239e+00};
    static const double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                               -1.556989798598866e+02, 6.680131188771972e+01,
                               -1.328068155288572e+01};
    static const double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                               -2.400758277161838e+00, -2.549671010115443e+00,
                               4.374664141464968e+00,  2.938163982698783e+00};
    static const double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                               2.445134137142996e+00, 3.754408661907416e+00};
    const double low = 0.02425;
    if (p < low) {
        const double q = std::sqrt(-2 * std::log(p));
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    }
    if (p > 1 - low) return -AcklamQuantile(1 - p);
    const double q = p - 0.5, r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
}

// Acklam's rational approximation refined by one Halley step on the exact CDF.
double NormalQuantile(double p) {
    p = Clamp(p, 1e-9, 1 - 1e-9);
    const double x = AcklamQuantile(p);
    const double e = NormalCdf(x) - p;
    const double u = e * std::sqrt(2 * kPi) * std::exp(x * x / 2);
    return x - u / (1 + x * u / 2);
}

HourSky PredictHourSky(const SkyInputs& in, const PathGeometry& path, double hourUt) {
    HourSky s;
    s.hourUt = hourUt;
    s.localTimeMid = LocalMeanTime(hourUt, path.midLon);
    s.cosZenith = CosSolarZenith(path.midLat, path.midLon, hourUt, in.month);
    s.dayFactor = std::sqrt(std::max(0.0, (s.cosZenith - kDayFactorZeroCos) / (1 - kDayFactorZeroCos)));
    s.nightFactor = NightFactor(path.midLat, path.midLon, hourUt, in.month);

    const double ssn = SunspotUsed(in);
    const double winter = 1 - 0.15 * std::sin(path.midLat * kDeg) * std::sin(SolarDeclination(in.month) * kDeg) /
                                  std::sin(23.44 * kDeg);
    s.foF2 = std::max(0.1, in.factorF2) * (2.2 * (0.55 + 0.45 * s.nightFactor) + 4.2 * s.dayFactor * winter) *
             (1 + 0.005 * ssn);
    s.foE = std::max(0.1, in.factorE) *
            std::max(0.5, 0.9 * std::pow((180 + 1.44 * ssn) * std::max(s.cosZenith, 0.0), 0.25));
    s.heightF2 = kHeightF2;

    const ModeGeometry f2 = Mode(path.distanceKm, s.heightF2, MinAngle(in));
    const ModeGeometry e = Mode(path.distanceKm, kHeightE, MinAngle(in));
    s.hopsF2 = f2.hops;
    s.angleF2 = f2.elevation;
    s.mufF2 = s.foF2 * IncidenceSecant(f2.elevation, s.heightF2);
    const double mufE = s.foE * IncidenceSecant(e.elevation, kHeightE);
    s.muf = std::max(s.mufF2, mufE);
    s.fot = 0.85 * s.muf;
    s.hpf = 1.2 * s.muf;

    s.lufClosed = true;
    s.luf = s.muf;
    for (int k = 0;; ++k) {
        const double f = 1.0 + 0.05 * k;
        if (f > s.muf) break;
        if (PredictFrequency(in, path, s, f).snrAtReliabilityDb >= in.requiredSnrDb) {
            s.luf = f;
            s.lufClosed = false;
            break;
        }
    }
    return s;
}

FrequencyPrediction PredictFrequency(const SkyInputs& in, const PathGeometry& path,
                                     const HourSky& sky, double frequencyMhz) {
    FrequencyPrediction p;
    const double f = std::max(0.1, frequencyMhz);
    p.frequencyMhz = frequencyMhz;

    // E screening: does the E layer turn back the F2 mode's ray?
    const double eCutoff = sky.foE * IncidenceSecant(sky.angleF2, kHeightE);
    p.layerE = f <= eCutoff;
    const double height = p.layerE ? kHeightE : sky.heightF2;
    const ModeGeometry m = Mode(path.distanceKm, height, MinAngle(in));
    const double modeMuf = (p.layerE ? sky.foE : sky.foF2) * IncidenceSecant(m.elevation, height);

    p.hops = m.hops;
    p.angleDeg = m.elevation;
    p.virtualHeightKm = height;
    p.delayMs = m.slantKm / kLightKmPerMs;

    const double ssn = SunspotUsed(in);
    const double chiDeg = std::acos(Clamp(sky.cosZenith, -1, 1)) / kPi * 180.0;
    const double sunIndex = std::pow(std::max(std::cos(0.881 * chiDeg * kDeg), 0.0), 1.3);
    const double nightIndex = std::pow(0.1, 1.3) * (0.5 + 0.5 * sky.nightFactor);
    const double absorptionIndex = (1 + 0.0037 * ssn) * std::max(sunIndex, nightIndex);
    const double secD = IncidenceSecant(m.elevation, kHeightD);

    const double freeSpace = 32.45 + 20 * std::log10(f) + 20 * std::log10(std::max(1.0, m.slantKm));
    const double absorption = m.hops * 677.2 * secD * absorptionIndex / (std::pow(f + 1.4, 1.98) + 10.2);
    const double ground = 2.0 * (m.hops - 1);
    const double mufLoss = MufLossDb(f / modeMuf);
    const double auroral =
        in.auroral && std::fabs(path.midLat) >= 55 ? m.hops * (1 + std::max(0.0, in.qIndex)) : 0.0;
    const double rawExcess = absorption + mufLoss + ground + auroral;
    p.excessLossDb = SaturatedDb(rawExcess, kExcessLossCeilingDb);
    const double share = rawExcess > 0 ? p.excessLossDb / rawExcess : 1.0;
    p.absorptionDb = absorption * share;
    p.mufLossDb = mufLoss * share;
    p.lossDb = freeSpace + 10.0 + p.excessLossDb;

    const double powerDbw = 10 * std::log10(std::max(1e-6, in.powerKw) * 1000.0);
    p.signalDbw = powerDbw + in.txGainDbi + in.rxGainDbi - p.lossDb;
    p.noiseDbw = in.noise3MHzDbw - 27.7 * std::log10(f / 3.0);
    p.snrDb = p.signalDbw - p.noiseDbw;

    p.sigmaDb = 8.0 + 4.0 * (1 - NormalCdf((1 - f / modeMuf) / kMufSpread));
    const double z = NormalQuantile(Clamp(in.reliabilityPct, 1, 99) / 100.0);
    p.snrAtReliabilityDb = p.snrDb - z * p.sigmaDb;
    p.reliability = NormalCdf((p.snrDb - in.requiredSnrDb) / p.sigmaDb);
    p.mufDay = sky.muf > 0 ? NormalCdf((sky.muf - f) / (0.15 * sky.muf)) : 0.0;
    p.fieldDbu = p.signalDbw + 137.0 + 20 * std::log10(f / 20.0);
    return p;
}

}  // namespace tw::itshf
