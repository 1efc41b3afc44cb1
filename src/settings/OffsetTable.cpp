#include "settings/OffsetTable.h"

#include "settings/NumberText.h"
#include "settings/SettingsProfile.h"

namespace tw {

namespace {

const QString kRows = QStringLiteral("Rows");

QString RowKey(int number) { return QStringLiteral("Row") + QString::number(number); }

bool IsBlank(const QString& text) { return text.trimmed().isEmpty(); }

}  // namespace

QString OffsetSection() { return QStringLiteral("Offset Data"); }

OffsetFields OffsetHeader() {
    return {QStringLiteral("System"), QStringLiteral("Station"), QStringLiteral("Frequency"),
            QStringLiteral("Offset"), QStringLiteral("Ant Bw"),  QStringLiteral("Ant Az"),
            QStringLiteral("Start"),  QStringLiteral("Stop")};
}

OffsetFields OffsetLineSplit(const QString& line) {
    OffsetFields fields;
    qsizetype from = 0;
    for (int i = 0; i < kOffsetFieldCount; ++i) {
        if (from > line.size()) break;
        const qsizetype comma = i + 1 < kOffsetFieldCount ? line.indexOf(QLatin1Char(','), from) : -1;
        if (comma < 0) {
            fields[static_cast<std::size_t>(i)] = line.mid(from);
            break;
        }
        fields[static_cast<std::size_t>(i)] = line.mid(from, comma - from);
        from = comma + 1;
    }
    return fields;
}

QString OffsetFrequenciesToStored(const QString& editorText) {
    QString stored = editorText;
    stored.replace(QStringLiteral(", "), QStringLiteral(" "));
    // A comma left over (frequencies typed without the blank) would split the
    // stored line into the wrong fields; the field holds no comma.
    stored.replace(QLatin1Char(','), QLatin1Char(' '));
    return stored;
}

QString OffsetFrequenciesToEditor(const QString& storedText) {
    QString shown = storedText;
    shown.replace(QLatin1Char(' '), QStringLiteral(", "));
    return shown;
}

QString OffsetLineJoin(const OffsetFields& editorFields) {
    QStringList parts;
    for (int i = 0; i < kOffsetFieldCount; ++i) {
        QString text = editorFields[static_cast<std::size_t>(i)];
        if (i == OffsetColFrequency) {
            text = OffsetFrequenciesToStored(text);
        } else if (i >= OffsetColOffset) {
            // Numbers are stored as typed, except that a decimal comma (the
            // number format of many users) would split the line; it is stored
            // as a point, which the number reader accepts in every locale.
            text.replace(QLatin1Char(','), QLatin1Char('.'));
        }
        parts << text;
    }
    return parts.join(QLatin1Char(','));
}

QVector<OffsetFields> OffsetTableReadFields(ProfileAccess& profile, const QString& profileFile) {
    QVector<OffsetFields> rows;
    const ProfileReadsHeld held(profile);
    const QString count = profile.Get(profileFile, OffsetSection(), kRows);
    if (count.isEmpty()) return rows;
    bool ok = false;
    const qint32 n = IntFromText(count, ok);
    if (!ok) return rows;
    for (qint32 k = 2; k <= n; ++k) {
        const QString line = profile.Get(profileFile, OffsetSection(), RowKey(k));
        if (line.isEmpty()) break;
        rows.push_back(OffsetLineSplit(line));
    }
    return rows;
}

QVector<OffsetFields> OffsetTableReadEditor(ProfileAccess& profile, const QString& profileFile) {
    QVector<OffsetFields> rows = OffsetTableReadFields(profile, profileFile);
    for (OffsetFields& row : rows) {
        row[OffsetColFrequency] = OffsetFrequenciesToEditor(row[OffsetColFrequency]);
    }
    return rows;
}

bool OffsetRowFromFields(const OffsetFields& fields, OffsetRow& row, const QLocale& locale) {
    if (IsBlank(fields[OffsetColSystem]) || IsBlank(fields[OffsetColStation])) return false;
    OffsetRow r;
    r.sSystem = fields[OffsetColSystem];
    r.sStation = fields[OffsetColStation];
    r.sFrequencies = fields[OffsetColFrequency];

    bool ok = false;
    r.fSnrOffset = FloatFromText(fields[OffsetColOffset], ok, locale);
    if (!ok) return false;

    // A filled-in field that is not a number makes the row unusable: applying
    // it with a default in place of what the user meant would give a wrong SNR.
    auto number = [&](int col, float& value) {
        const QString& text = fields[static_cast<std::size_t>(col)];
        if (IsBlank(text)) return true;
        bool good = false;
        const float v = FloatFromText(text, good, locale);
        if (good) value = v;
        return good;
    };
    auto whole = [&](int col, qint32& value) {
        const QString& text = fields[static_cast<std::size_t>(col)];
        if (IsBlank(text)) return true;
        bool good = false;
        const qint32 v = IntFromText(text, good);
        if (good) value = v;
        return good;
    };
    if (!number(OffsetColBeamwidth, r.fBeamwidth) || !number(OffsetColAzimuth, r.fAzimuth) ||
        !whole(OffsetColStart, r.iStart) || !whole(OffsetColStop, r.iStop)) {
        return false;
    }
    row = r;
    return true;
}

QVector<OffsetRow> OffsetTableReadRows(ProfileAccess& profile, const QString& profileFile,
                                       const QLocale& locale) {
    QVector<OffsetRow> rows;
    for (const OffsetFields& fields : OffsetTableReadFields(profile, profileFile)) {
        OffsetRow row;
        if (OffsetRowFromFields(fields, row, locale)) rows.push_back(row);
    }
    return rows;
}

bool OffsetTableWrite(const QVector<OffsetFields>& editorRows, const Settings& settings,
                      ProfileAccess& profile, IUserInterface& ui) {
    // The rows and their count in one replace of the file.
    QVector<ProfileAccess::Entry> entries;
    int count = 0;
    for (const OffsetFields& fields : editorRows) {
        // A row without system, station or offset can never apply; it is not
        // stored.  A cell of blanks is text as any other and stored as typed
        // (the evaluation refuses it), so such a row stays in the table.
        if (fields[OffsetColSystem].isEmpty() || fields[OffsetColStation].isEmpty() ||
            fields[OffsetColOffset].isEmpty()) {
            continue;
        }
        ++count;
        entries.push_back({OffsetSection(), RowKey(count), OffsetLineJoin(fields)});
    }
    entries.push_back({OffsetSection(), kRows, IntToText(count)});
    if (!profile.Write(settings.m_sProfileFile, entries)) {
        ProfileSaveError(settings, profile, ui);
        return false;
    }
    return true;
}

}  // namespace tw
