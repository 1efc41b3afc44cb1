#pragma once
// The antenna offset table in the profile file, section "Offset Data":
//   Rows=<number of Row keys written, the header row included>
//   Row1=System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop
//   Row2=HAM,ZZ0AA,14108.0 7100.0,6,360,0,0,2400
// Row2 and up hold one table row each, the eight fields joined by ",".  In the
// frequency field the editor's ", " separators are stored as single blanks.
// Writing n rows leaves Row keys above n + 1 from a longer table in the file;
// readers never go past the count in "Rows".

#include <QLocale>
#include <QString>
#include <QVector>

#include <array>

#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "settings/Settings.h"

namespace tw {

// One row of the antenna offset table.
struct OffsetRow {
    QString sSystem;       // AirMail system name, e.g. "SAILMAIL" or "HAM"
    QString sStation;      // station as listed for that system
    QString sFrequencies;  // frequency texts separated by single blanks, as stored
    float fSnrOffset = 0.0f;   // dB added to the predicted SNR
    float fBeamwidth = 360.0f; // 3 dB beamwidth in degrees; 360 omnidirectional
    float fAzimuth = 0.0f;     // main-beam azimuth in degrees
    qint32 iStart = 0;         // UTC hhmm
    qint32 iStop = 2400;       // UTC hhmm
};

inline constexpr int kOffsetFieldCount = 8;
// The eight text fields of a row, in the order of OffsetRow.
using OffsetFields = std::array<QString, kOffsetFieldCount>;

// Column indexes of OffsetFields (and of the editor's grid).
enum OffsetColumn : int {
    OffsetColSystem = 0,
    OffsetColStation = 1,
    OffsetColFrequency = 2,
    OffsetColOffset = 3,
    OffsetColBeamwidth = 4,
    OffsetColAzimuth = 5,
    OffsetColStart = 6,
    OffsetColStop = 7,
};

QString OffsetSection();  // "Offset Data"
// The header row: "System", "Station", "Frequency", "Offset", "Ant Bw",
// "Ant Az", "Start", "Stop".
OffsetFields OffsetHeader();

// A stored line split at "," into eight fields from the left: the eighth takes
// the rest of the line, fields past the end of the line are empty.
OffsetFields OffsetLineSplit(const QString& line);

// Frequency field: editor form "14108.0, 7100.0" <-> stored form "14108.0 7100.0".
QString OffsetFrequenciesToStored(const QString& editorText);
QString OffsetFrequenciesToEditor(const QString& storedText);

// The stored line for one editor row: the frequency field in stored form, the
// fields joined by ",".
QString OffsetLineJoin(const OffsetFields& editorFields);

// The fields of every stored data row (Row2 up to the count in "Rows", ending
// early at the first missing or empty key) as stored, each line read whole
// (a line cut short would lose the end of a field).  No "Rows" key, or one
// that is not a whole number: no rows.  The reads are held (ProfileReadsHeld),
// so the file is read and taken apart once, not once per row.
QVector<OffsetFields> OffsetTableReadFields(ProfileAccess& profile, const QString& profileFile);

// The rows as the editor shows them: every blank of the frequency field shown
// as ", ".
QVector<OffsetFields> OffsetTableReadEditor(ProfileAccess& profile, const QString& profileFile);

// The typed row for stored fields, with the defaults for empty fields
// (beamwidth 360, azimuth 0, start 0, stop 2400).  False when the system,
// station or offset is empty, or when a field that is filled in is not a
// number; such a row is not applied.
bool OffsetRowFromFields(const OffsetFields& fields, OffsetRow& row,
                         const QLocale& locale = QLocale::system());

// The rows as the evaluation uses them: rows that do not convert left out.
QVector<OffsetRow> OffsetTableReadRows(ProfileAccess& profile, const QString& profileFile,
                                       const QLocale& locale = QLocale::system());

// Writes the editor's rows, header row first, to the profile file of the
// settings: rows with an empty System, Station or Offset are skipped (a
// cell of blanks is not empty), the others numbered from Row1 up, then
// "Rows" with the count, all in one replace of the file.  A failure is reported (ProfileSaveError), leaves the
// file as it was and returns false.
bool OffsetTableWrite(const QVector<OffsetFields>& editorRows, const Settings& settings,
                      ProfileAccess& profile, IUserInterface& ui);

}  // namespace tw
