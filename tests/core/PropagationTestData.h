#pragma once
// Runs and outputs shared by the propagation tests: the two real VOACAP
// samples (deck and output) in tests/data/its-samples, and a REC533 output built
// in the layout the REC533 reader expects.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

#include "propagation/PropagationTypes.h"

namespace tw::test {

inline QString SampleDir() {
    return QStringLiteral(TIDEWELL_SAMPLES_DIR "/");
}

inline QByteArray ReadSample(const QString& name) {
    QFile file(SampleDir() + name);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

// The inputs of both samples: coefficients URSI, Q index 3, noise -145 dBW,
// takeoff angle 10, reliability 50 %, multipath 0 and 10, layer adjustments
// 1, 1, 1 and 0.
inline PropagationInputs SampleInputs(float sunspotNumber) {
    return {.SunspotNumber = sunspotNumber, .QIndex = 3, .NoiseLevel = -145, .TakeoffAngle = 10, .Reliability = 50,
            .MultipathPower = 0, .MultipathDelay = 10, .IonCoefficients = QStringLiteral("URSI"), .LayerAdjustE = 1,
            .LayerAdjustF1 = 1, .LayerAdjustF2 = 1, .LayerAdjustEs = 0};
}

inline const std::vector<float>& GuamFrequencies() {
    static const std::vector<float> f = {3600, 5400, 7100, 8100, 10200, 12400, 14100, 16600, 18100, 21100};
    return f;
}
inline PropagationPositions GuamPositions() { return {38.6, -120.3, 13.5, 144.8}; }

// "voacap-guam-2h": the station at Guam, the vessel off California, June,
// SSN 150, hours 20 and 21, ten frequencies.
inline PropagationRun GuamRun() {
    return {.Model = ModelVoacap, .Month = 6, .FirstHour = 20, .HourCount = 2, .Positions = GuamPositions(),
            .FirstIndex = 1, .LastIndex = 10, .Frequencies = GuamFrequencies(), .Inputs = SampleInputs(150.0f)};
}

inline const std::vector<float>& HonoluluFrequencies() {
    static const std::vector<float> f = {3600, 7100, 10200, 14100, 18100};
    return f;
}
inline PropagationPositions HonoluluPositions() { return {38.6, -120.3, 21.3, -157.9}; }

// "voacap-honolulu-24h": the station at Honolulu, December, SSN 100, hours 0
// to 23, five frequencies.
inline PropagationRun HonoluluRun() {
    return {.Model = ModelVoacap, .Month = 12, .FirstHour = 0, .HourCount = 24, .Positions = HonoluluPositions(),
            .FirstIndex = 1, .LastIndex = 5, .Frequencies = HonoluluFrequencies(), .Inputs = SampleInputs(100.0f)};
}

// Text placed at 1-based columns of a line.
class ColumnLine {
public:
    ColumnLine& At(int column, const QString& text) {
        if (m_text.size() < column - 1)
            m_text += QString(column - 1 - m_text.size(), QLatin1Char(' '));
        m_text = m_text.left(column - 1) + text + m_text.mid(column - 1 + text.size());
        return *this;
    }
    QString Text() const { return m_text; }

private:
    QString m_text;
};

// One hour of a REC533 output: MUF and LUF in MHz and per frequency the
// mode, angle, field strength, signal-to-noise ratio and SNR at the
// required reliability, each as the five-column text to print.
struct Rec533Hour {
    QString muf;  // four columns
    QString luf;
    QStringList mode, angle, dbu, sn, snxx;
};

// A REC533 output in the reader's layout: the path line after "AZIMUTHS"
// (azimuths in columns 43 and 51, range in 60), then per hour the "FREQ",
// "MODE", "ANGL", "DBU", "S/N" and "SNxx" rows, fields from column 9.
inline QByteArray Rec533Output(const QString& toShip, const QString& atShip, const QString& range,
                               const std::vector<Rec533Hour>& hours) {
    QStringList lines;
    lines << QStringLiteral("  REC533 stand-in output") << QString()
          << QStringLiteral("  TRANSMITTER             RECEIVER            AZIMUTHS       N. MI.");
    lines << ColumnLine()
                 .At(3, QStringLiteral("13.50 N  144.80 E - 38.60 N  120.30 W"))
                 .At(43, toShip)
                 .At(51, atShip)
                 .At(60, range)
                 .Text();
    for (const Rec533Hour& h : hours) {
        lines << QString();
        lines << ColumnLine().At(1, QStringLiteral("FREQ")).At(5, h.muf).At(65, h.luf).Text();
        auto row = [&](const QString& label, const QStringList& fields) {
            ColumnLine line;
            line.At(1, label);
            for (int j = 0; j < fields.size(); ++j) line.At(9 + 5 * j, fields[j]);
            lines << line.Text();
        };
        row(QStringLiteral("MODE"), h.mode);
        row(QStringLiteral("ANGL"), h.angle);
        row(QStringLiteral("DBU"), h.dbu);
        row(QStringLiteral("S/N"), h.sn);
        row(QStringLiteral("SNxx"), h.snxx);
    }
    lines << QStringLiteral("  END OF RUN");
    return lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}

// Ten frequencies' worth of one value per row, for batch tests: field j
// (from 1) of every numeric row holds base + j.
inline Rec533Hour Rec533UniformHour(const QString& muf, const QString& luf, int base, int count) {
    Rec533Hour h;
    h.muf = muf;
    h.luf = luf;
    for (int j = 1; j <= count; ++j) {
        h.mode << QStringLiteral("  1F2");
        h.angle << QString::number(base + j).rightJustified(5);
        h.dbu << QString::number(base + j).rightJustified(5);
        h.sn << QString::number(base + j).rightJustified(5);
        h.snxx << QString::number(base + j).rightJustified(5);
    }
    return h;
}

}  // namespace tw::test
