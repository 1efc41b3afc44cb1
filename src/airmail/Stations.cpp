#include "airmail/Stations.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "airmail/AirMail.h"
#include "common/FileRead.h"
#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "propagation/Geometry.h"
#include "settings/NumberText.h"
#include "settings/Settings.h"

namespace tw {

namespace {

const QString kStationInfo = QStringLiteral("Station Info");
const QString kFrequencyList = QStringLiteral("Frequency List");
const QString kFrequencySetup = QStringLiteral("Frequency Setup");

// Frequencies are kHz; anything from 10 GHz up is not a frequency of a list.
constexpr double kMaxFrequencyKHz = 1.0e7;


QString SystemFileWindowsPath(AirMail& airmail, const QString& system) {
    return airmail.settings().m_sAirMailDirectoryData + QLatin1Char('\\') + SystemFileName(system);
}

QString StationInfoValue(AirMail& airmail, const QString& system, const QString& station,
                         bool showError) {
    return airmail.AirMailGetProfileString(SystemFileName(system), kStationInfo, station,
                                           showError);
}

// A system file as lines of text (code page 1252, line ends removed).  A file
// that cannot be read is reported: "Unable to open AirMail's \"<file name>"
// followed by `afterName` and the reason.
bool ReadSystemFile(AirMail& airmail, const QString& system, QStringList& lines,
                    const QString& afterName) {
    lines.clear();
    QByteArray bytes;
    QString error;
    if (!ReadFileBounded(airmail.NativePath(SystemFileWindowsPath(airmail, system)), bytes, error)) {
        airmail.ShowMessage(WithCause(QStringLiteral("Unable to open AirMail's \"") + SystemFileName(system) +
                                          afterName,
                                      error) +
                                airmail.AirMailErrorDataMessage(),
                            MsgIcon::Exclamation);
        return false;
    }
    for (const QByteArray& raw : bytes.split('\n')) {
        QString line = AnsiToUnicode(raw);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        lines.append(line);
    }
    return true;
}

// What a record takes from the station's [Station Info] value: the locator,
// the Pactor 3 mark and the display name (only SAILMAIL values carry one;
// otherwise the record keeps the identifier).
void ApplyStationInfo(StationRecord& record, const StationInfo& info) {
    record.grid = info.grid;
    record.pactor3 = info.pactor3;
    record.name = info.name.isEmpty() ? record.station : info.name;
}

struct Entry {
    QString key;
    QString value;
};

// The entries of a section read line by line: from the line after its header
// up to the first line without "=".  `found` tells whether the header was there.
QVector<Entry> SectionEntries(const QStringList& lines, const QString& section, bool& found,
                              QString* lastKey = nullptr) {
    QVector<Entry> entries;
    found = false;
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    qsizetype i = 0;
    for (; i < lines.size(); ++i) {
        if (lines[i].trimmed().compare(header, Qt::CaseInsensitive) == 0) {
            found = true;
            ++i;
            break;
        }
    }
    if (!found) return entries;
    for (; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) break;
        entries.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
        if (lastKey != nullptr) *lastKey = entries.back().key;
    }
    return entries;
}

bool PositionIsValid(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= -90.0 &&
           latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0;
}

bool IsFieldLetter(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('R'); }
bool IsSubsquareLetter(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('X'); }
bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

// ---- Pure text functions ---------------------------------------------------

bool IsSailMail(const QString& system) {
    return system.compare(QStringLiteral("SAILMAIL"), Qt::CaseInsensitive) == 0;
}

QString SystemFileName(const QString& system) {
    return QStringLiteral("System.") + system + QStringLiteral(".ini");
}

bool LatLonFromGridSquare(const QString& grid, double& latitude, double& longitude) {
    latitude = 0.0;
    longitude = 0.0;
    QString g = grid.trimmed().toUpper();
    // A square without subsquare is read at its middle.
    if (g.size() == 4) g += QStringLiteral("MM");
    if (g.size() < 6) return false;
    // Letters out of range would put the point off the globe (a "Z" field is
    // 160 degrees north), so they make the locator unreadable.
    if (!IsFieldLetter(g[0]) || !IsFieldLetter(g[1]) || !IsDigit(g[2]) || !IsDigit(g[3]) ||
        !IsSubsquareLetter(g[4]) || !IsSubsquareLetter(g[5]))
        return false;
    const auto index = [&](int i, char base) {
        return static_cast<double>(g[i].unicode() - static_cast<char16_t>(base));
    };
    // Subsquare letters A..X are spread evenly over 0..59 minutes.
    constexpr double kSubsquareMinutes = 59.0 / 23.0;
    latitude = index(1, 'J') * 10.0 + index(3, '0') + index(5, 'A') * kSubsquareMinutes / 60.0;
    longitude =
        2.0 * (index(0, 'J') * 10.0 + index(2, '0') + index(4, 'A') * kSubsquareMinutes / 60.0);
    return true;
}

namespace {

// A number as the C locale reads it (QLocale::c().toDouble).  Text of digits,
// points, exponent letters and signs only, which is what a frequency list
// holds, is read with from_chars: the same value, the same refusals, without
// the locale's machinery (a list is read for every station of an update).
// Other text goes to the locale.
std::optional<double> CNumber(std::u16string_view text) {
    std::string ascii;
    for (const char16_t c : text) {
        if ((c < u'0' || c > u'9') && c != u'.' && c != u'e' && c != u'E' && c != u'+' &&
            c != u'-') {
            bool ok = false;
            const double value = QLocale::c().toDouble(
                QStringView(text.data(), static_cast<qsizetype>(text.size())), &ok);
            return ok ? std::optional<double>(value) : std::nullopt;
        }
        ascii += static_cast<char>(c);
    }
    const char* begin = ascii.data();
    const char* const end = begin + ascii.size();
    // from_chars takes a "-" but no "+"; the locale one sign, either.
    if (begin != end && *begin == '+' && ++begin != end && (*begin == '+' || *begin == '-'))
        return std::nullopt;
    double value = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

bool ParseFrequency(QStringView token, StationFrequency& frequency) {
    frequency = {};
    std::u16string t;  // the token less its blanks
    for (const QChar ch : token) {
        if (ch != QLatin1Char(' ') && ch != QLatin1Char('\t')) t += ch.unicode();
    }
    bool pactor3 = false;
    while (!t.empty() && t.back() == u'#') {
        pactor3 = true;
        t.pop_back();
    }
    if (t.empty() || t.find(u'#') != std::u16string::npos) return false;
    const std::optional<double> kHz = CNumber(t);
    if (!kHz || !std::isfinite(*kHz) || *kHz <= 0.0 || *kHz >= kMaxFrequencyKHz) return false;
    frequency.kHz = *kHz;
    frequency.pactor3 = pactor3;
    // "0.0" rounds the decimal text, as every number of the lists does:
    // 7051.45 is "7051.5" (its binary value lies just below).
    frequency.text = NumberFormat(*kHz, 1);
    if (pactor3) frequency.text += QStringLiteral("(p3)");
    return true;
}

}  // namespace

bool FrequencyParse(const QString& token, StationFrequency& frequency) {
    return ParseFrequency(token, frequency);
}

bool FrequencyReformat(QString& token) {
    StationFrequency frequency;
    if (!FrequencyParse(token, frequency)) return false;
    token = frequency.text;
    return true;
}

QVector<StationFrequency> FrequencyListParse(const QString& value) {
    QVector<StationFrequency> out;
    const QStringView list(value);
    for (qsizetype p = 0; p <= list.size();) {
        qsizetype e = p;
        while (e < list.size() && list[e] != QLatin1Char(',') && list[e] != QLatin1Char(';')) ++e;
        const QStringView token = list.sliced(p, e - p);
        StationFrequency frequency;
        if (!token.trimmed().isEmpty() && ParseFrequency(token, frequency)) out.append(frequency);
        p = e + 1;
    }
    return out;
}

QStringList FrequencyListTexts(const QString& value) {
    QStringList out;
    for (const StationFrequency& f : FrequencyListParse(value)) out.append(f.text);
    return out;
}

QStringList SelectedStationsParse(const QString& value) {
    QStringList out;
    for (const QString& part : value.split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        if (!name.isEmpty()) out.append(name);
    }
    return out;
}

QString StationDisplayName(const QString& value) {
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    if (colon < 0) return {};
    const qsizetype semi = value.indexOf(QLatin1Char(';'));
    if (semi >= 0 && semi < colon) return {};
    const QString name = semi < 0 ? value.mid(colon + 1) : value.mid(colon + 1, semi - colon - 1);
    return name.trimmed();
}

StationInfo StationInfoParse(const QString& system, const QString& value) {
    StationInfo info;
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    info.hasColon = colon >= 0;
    if (info.hasColon) info.grid = value.left(colon).trimmed();
    if (IsSailMail(system)) {
        info.name = StationDisplayName(value);
        info.pactor3 = value.contains(QStringLiteral(";P3"));
    }
    return info;
}

// ---- Readers ---------------------------------------------------------------

namespace {

// The position of a station's [Station Info] locator; `info` is the parsed
// value.  False without a value, without a ":" (`malformed`) or with a
// locator that cannot be read.  `showError` tells a missing value,
// `showGridError` a locator that cannot be read.
bool StationPosition(AirMail& airmail, const QString& system, const QString& station,
                     bool showError, bool showGridError, StationInfo& info, double& latitude,
                     double& longitude, bool* malformed) {
    latitude = 0.0;
    longitude = 0.0;
    if (malformed != nullptr) *malformed = false;
    const QString value = StationInfoValue(airmail, system, station, showError);
    if (value.isEmpty()) return false;
    info = StationInfoParse(system, value);
    if (!info.hasColon) {
        if (malformed != nullptr) *malformed = true;
        return false;
    }
    if (LatLonFromGridSquare(info.grid, latitude, longitude)) return true;
    // The message names the station too: a list of many says which one it is.
    if (showGridError)
        airmail.ShowMessage(QStringLiteral("Unable to Convert Grid ") + info.grid +
                                QStringLiteral(" to Lat/Lon (") + station + QLatin1Char(')'),
                            MsgIcon::None);
    return false;
}

}  // namespace

bool LatLonGetStation(AirMail& airmail, const QString& system, const QString& station,
                      bool showError, double& latitude, double& longitude, bool* malformed) {
    StationInfo info;
    return StationPosition(airmail, system, station, showError, showError, info, latitude,
                           longitude, malformed);
}

bool StationGetRecordsByRange(AirMail& airmail, const QString& system,
                              const CurrentPositionSource& currentPosition,
                              QVector<StationRecord>& records) {
    records.clear();
    double here[2] = {0.0, 0.0};
    if (!currentPosition || !currentPosition(here[0], here[1]) ||
        !PositionIsValid(here[0], here[1]))
        return false;

    QStringList lines;
    if (!ReadSystemFile(airmail, system, lines, QStringLiteral("\" file. "))) return false;
    const auto processFailure = [&](const QString& why) {
        records.clear();
        airmail.ShowMessage(QStringLiteral("Unable to process AirMail's \"") + system +
                                QStringLiteral("\" Station Info. ") + why,
                            MsgIcon::Exclamation);
        return false;
    };

    bool found = false;
    const QVector<Entry> entries = SectionEntries(lines, kFrequencyList, found);
    if (!found)
        return processFailure(QStringLiteral("The file has no [Frequency List] section."));

    // The station check tells the stations without a [Station Info] entry;
    // a broken entry (a locator that cannot be read, no ":") is told always.
    const bool showError = airmail.settings().m_bAirMailStationCheck;
    for (const Entry& entry : entries) {
        if (entry.key.isEmpty()) continue;
        StationRecord record;
        record.station = entry.key;
        StationInfo info;
        bool malformed = false;
        if (!StationPosition(airmail, system, entry.key, showError, true, info, record.latitude,
                             record.longitude, &malformed)) {
            // An entry without ":" is told (it is a broken entry, not a
            // station without position) and left out like one.
            if (malformed)
                airmail.ShowMessage(QStringLiteral("Unable to process AirMail's \"") + system +
                                        QStringLiteral("\" Station Info. The entry of ") +
                                        entry.key + QStringLiteral(" has no \":\"."),
                                    MsgIcon::Exclamation);
            continue;  // no position: not a candidate
        }
        record.hasPosition = true;
        ApplyStationInfo(record, info);
        record.range = std::round(
            LatLonGetRange(here[0], here[1], record.latitude, record.longitude));
        records.append(record);
    }
    // Equal rounded ranges keep the order of the file.
    std::stable_sort(records.begin(), records.end(),
                     [](const StationRecord& a, const StationRecord& b) { return a.range < b.range; });
    return true;
}

bool StationGetStationsByRange(AirMail& airmail, const QString& system,
                               const CurrentPositionSource& currentPosition,
                               QStringList& names) {
    names.clear();
    QVector<StationRecord> records;
    if (!StationGetRecordsByRange(airmail, system, currentPosition, records)) return false;
    for (const StationRecord& r : records) names.append(r.station);
    return true;
}

bool StationGetStations(AirMail& airmail, const QString& system,
                        const CurrentPositionSource& currentPosition, QStringList& names) {
    names.clear();
    if (!airmail.settings().m_bStationAllStations) {
        const QString selected =
            airmail.profile().Get(SystemFileWindowsPath(airmail, system), kFrequencySetup,
                                  QStringLiteral("Selected"));
        names = SelectedStationsParse(selected);
        if (!names.isEmpty()) return true;
    }
    if (!StationGetStationsByRange(airmail, system, currentPosition, names)) return false;
    if (names.size() > kStationsNearest) names.resize(kStationsNearest);
    return true;
}

QString StationNameFromStation(AirMail& airmail, const QString& system, const QString& station) {
    if (!IsSailMail(system)) return station;
    return StationDisplayName(StationInfoValue(airmail, system, station, true));
}

QString StationFromStationName(AirMail& airmail, const QString& system, const QString& name) {
    if (!IsSailMail(system)) return name;
    // An empty name would be "contained" in every line.
    if (name.isEmpty()) return {};
    QStringList lines;
    if (!ReadSystemFile(airmail, system, lines, QStringLiteral("\". "))) return {};
    bool found = false;
    QString lastKey;
    const QVector<Entry> entries = SectionEntries(lines, kStationInfo, found, &lastKey);
    // The station whose display name (or identifier) is exactly the name;
    // failing that, as AirMail's names may be given in part, the first entry
    // whose line contains it.
    for (const Entry& e : entries)
        if (e.key == name || StationDisplayName(e.value) == name) return e.key;
    for (const Entry& e : entries)
        if (e.key.contains(name) || e.value.contains(name)) return e.key;
    airmail.ShowMessage(QStringLiteral("Unable to find AirMail's ") + name + QStringLiteral(", ") +
                            lastKey + QStringLiteral(" in \"") +
                            SystemFileWindowsPath(airmail, system) + QStringLiteral("\".") +
                            airmail.AirMailErrorDataMessage(),
                        MsgIcon::Exclamation);
    return {};
}

bool StationGetStation(AirMail& airmail, const QString& system, QStringList& list,
                       QStringList* identifiers) {
    list.clear();
    if (identifiers) identifiers->clear();
    QStringList lines;
    if (!ReadSystemFile(airmail, system, lines, QStringLiteral("\" file. "))) return false;
    bool found = false;
    const bool sailMail = IsSailMail(system);
    for (const Entry& e : SectionEntries(lines, kStationInfo, found)) {
        if (e.key.isEmpty()) continue;
        // A SAILMAIL entry without a display name is listed by its identifier.
        const QString name = sailMail ? StationDisplayName(e.value) : QString();
        list.append(name.isEmpty() ? e.key : name);
        if (identifiers) identifiers->append(e.key);
    }
    if (list.isEmpty()) {
        airmail.ShowMessage(QStringLiteral("Unable to file AirMail's ") + system +
                                QStringLiteral(", Station Info."),
                            MsgIcon::None);
        return false;
    }
    return true;
}

bool StationGetRecord(AirMail& airmail, const QString& system, const QString& station,
                      bool showError, StationRecord& record) {
    record = {};
    record.station = station;
    record.name = station;
    const QString list =
        airmail.AirMailGetProfileString(SystemFileName(system), kFrequencyList, station, showError);
    if (list.isEmpty()) return false;
    record.frequencies = FrequencyListParse(list);
    const StationInfo info =
        StationInfoParse(system, StationInfoValue(airmail, system, station, false));
    ApplyStationInfo(record, info);
    if (info.hasColon)
        record.hasPosition = LatLonFromGridSquare(info.grid, record.latitude, record.longitude);
    if (record.pactor3)
        for (StationFrequency& f : record.frequencies) f.pactor3 = true;
    return true;
}

}  // namespace tw
