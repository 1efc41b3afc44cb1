#pragma once
// The stand-in's sky: a small, deterministic HF propagation estimate.  The
// model itself is described in the block comment at the top of SkyModel.cpp.
// Everything here is a pure function of its arguments.

#include <string>

namespace tw::itshf {

constexpr double kEarthRadiusKm = 6370.0;
constexpr double kKmPerNauticalMile = 1.852;

// A circuit: transmitter and receiver, decimal degrees, north and east positive.
struct Circuit {
    double txLat = 0;
    double txLon = 0;
    double rxLat = 0;
    double rxLon = 0;
};

// The great circle of a circuit.
struct PathGeometry {
    double distanceKm = 0;
    double txAzimuth = 0;  // degrees, bearing at the transmitter toward the receiver
    double rxAzimuth = 0;  // degrees, bearing at the receiver toward the transmitter
    double midLat = 0;     // the point halfway along the path
    double midLon = 0;
};

// Everything of a run that the sky model uses besides the circuit and the hour.
struct SkyInputs {
    int month = 1;                // 1 to 12
    double sunspot = 100;         // smoothed sunspot number
    double qIndex = 3;            // geomagnetic activity, used by the ICEPAC flavour only
    bool auroral = false;         // ICEPAC flavour: auroral absorption on high-latitude paths
    double minAngleDeg = 3;       // lowest takeoff angle of a usable mode
    double noise3MHzDbw = -145;   // man-made noise in 1 Hz at 3 MHz
    double reliabilityPct = 50;   // required circuit reliability
    double requiredSnrDb = 40;    // required signal-to-noise ratio, dB in 1 Hz
    double powerKw = 0.1;         // transmitter power
    double txGainDbi = 0;
    double rxGainDbi = 0;
    double factorE = 1;           // layer multipliers (the deck's FPROB line)
    double factorF2 = 1;
};

// The ionosphere over the path's midpoint at one hour, and the path's
// usable band.
struct HourSky {
    double hourUt = 0;            // 1 to 24 (hour 0 is written 24)
    double localTimeMid = 0;      // mean solar time at the midpoint, hours 0 to 24
    double cosZenith = 0;         // of the sun at the midpoint
    double dayFactor = 0;         // 0 at night to 1 with the sun overhead
    double nightFactor = 1;       // residual ionisation: 1 by day, decaying through the night
    double foF2 = 0;              // MHz
    double foE = 0;               // MHz
    double heightF2 = 0;          // virtual reflection height of F2, km
    int hopsF2 = 1;               // hops of the F2 mode
    double angleF2 = 0;           // takeoff angle of the F2 mode, degrees
    double mufF2 = 0;             // MHz
    double muf = 0;               // path MUF, MHz
    double fot = 0;               // optimum working frequency, MHz
    double hpf = 0;               // highest possible frequency, MHz
    double luf = 0;               // lowest usable frequency, MHz (see lufClosed)
    bool lufClosed = false;       // no frequency up to the MUF reaches the required SNR
};

// The prediction for one frequency at one hour.
struct FrequencyPrediction {
    double frequencyMhz = 0;
    int hops = 1;
    bool layerE = false;          // E mode, else F2
    double angleDeg = 0;          // takeoff angle
    double delayMs = 0;           // group delay along the path
    double virtualHeightKm = 0;
    double mufDay = 0;            // fraction of days on which the frequency is below the MUF
    double lossDb = 0;            // basic transmission loss
    double absorptionDb = 0;      // the part of the loss taken by D-layer absorption
    double mufLossDb = 0;         // the part taken by the mode closing near and above its MUF
    double excessLossDb = 0;      // the loss beyond free space and the fixed 10 dB, after its ceiling
    double signalDbw = 0;
    double noiseDbw = 0;
    double snrDb = 0;             // median signal-to-noise ratio, dB in 1 Hz
    double snrAtReliabilityDb = 0;
    double reliability = 0;       // fraction of days with snr >= required
    double fieldDbu = 0;          // field strength, dB above 1 uV/m (see SkyModel.cpp)
    double sigmaDb = 0;           // day-to-day deviation of the signal

    // The mode as the programs print it: hop count in three columns and the
    // layer in two ("  2F2", " 12 E").
    std::string ModeText() const;
};

PathGeometry ComputePath(const Circuit& circuit);

// Mean solar time (hours, 0 <= t < 24) at a longitude for a UT hour.
double LocalMeanTime(double hourUt, double lonDeg);

// Solar declination (degrees) in the middle of a month.
double SolarDeclination(int month);

// Cosine of the sun's zenith angle at a place and UT hour in a month.
double CosSolarZenith(double latDeg, double lonDeg, double hourUt, int month);

// The residual ionisation of the night at a place and UT hour in a month: 1
// by day, decaying from dusk (the sun 6 degrees below the horizon) to its
// lowest just before dawn and recovering through the morning; continuous
// through the whole day.  1 all day where the sun stays up, 0 where it never
// rises (polar night).
double NightFactor(double latDeg, double lonDeg, double hourUt, int month);

// Soft ceiling: about `raw` while it is small against `ceilingDb`, never
// above `ceilingDb` (ceiling * (1 - exp(-raw / ceiling))).
double SaturatedDb(double raw, double ceilingDb);

// The extra loss (dB) of a mode at frequency / mode MUF = `ratio`: the median
// signal weakened by the share of days on which the mode is closed,
// -10 log10(Phi((1 - ratio) / 0.15)): about 3 dB at the MUF, under 1 dB below
// 0.85 MUF, rising steeply above the MUF (before the ceiling of the excess
// loss, see PredictFrequency).
double MufLossDb(double ratio);

// Everything a path loses beyond free space and the fixed 10 dB (absorption,
// the MUF loss, ground reflections, auroral absorption) is taken through
// SaturatedDb with this ceiling.
constexpr double kExcessLossCeilingDb = 80.0;

// Takeoff angle (degrees) of one hop of ground length hopKm reflected at heightKm.
double HopElevation(double hopKm, double heightKm);

// The fewest hops (1 to 99) whose takeoff angle is at least minAngleDeg.
int HopCount(double distanceKm, double heightKm, double minAngleDeg);

// Secant of the angle of incidence at heightKm of a ray leaving the ground at elevationDeg.
double IncidenceSecant(double elevationDeg, double heightKm);

// Normal distribution helpers (deterministic closed forms).
double NormalCdf(double z);
double NormalQuantile(double p);

HourSky PredictHourSky(const SkyInputs& in, const PathGeometry& path, double hourUt);

FrequencyPrediction PredictFrequency(const SkyInputs& in, const PathGeometry& path,
                                     const HourSky& sky, double frequencyMhz);

}  // namespace tw::itshf
