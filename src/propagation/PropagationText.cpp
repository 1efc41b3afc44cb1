#include "propagation/PropagationText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "common/ProfileAccess.h"
#include "common/UserInterface.h"

namespace tw {

namespace {

struct FormatRule {
    const char* name;
    int width;
    int decimals;
    bool pointWhenWhole;  // "F5.0": the whole number followed by a point
    bool leadingZero;     // "0.5" rather than ".5"
};

// No format of the decks writes a leading zero below 1 (the "#.0" pattern).
constexpr FormatRule kFormats[] = {
    {"I5", 5, 0, false, true},    {"F5.0", 5, 0, true, true},   {"F5.1", 5, 1, false, false},
    {"F5.2", 5, 2, false, false}, {"F6.2", 6, 2, false, false}, {"F7.1", 7, 1, false, false},
};

const FormatRule* RuleOf(const QString& format) {
    for (const FormatRule& rule : kFormats) {
        if (format == QLatin1String(rule.name)) return &rule;
    }
    return nullptr;
}

}  // namespace

int FortranFormatWidth(const QString& format) {
    const FormatRule* rule = RuleOf(format);
    return rule ? rule->width : 0;
}

std::optional<QString> FortranFormatText(double value, const QString& format) {
    const FormatRule* rule = RuleOf(format);
    if (!rule) return std::nullopt;

    long long scale = 1;
    for (int i = 0; i < rule->decimals; ++i) scale *= 10;
    const double scaled = value * static_cast<double>(scale);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e15) {
        return QString(rule->width + 1, QLatin1Char('*'));
    }
    // Halves away from zero, as the decimal value reads (2.675 gives 2.68
    // although its binary value lies a hair below).
    const long long rounded = std::llround(scaled * (1.0 + 1e-12));
    const long long magnitude = std::llabs(rounded);
    const long long whole = magnitude / scale;
    const long long fraction = magnitude % scale;

    QString text;
    if (rounded < 0) text += QLatin1Char('-');
    if (rule->decimals == 0) {
        text += QString::number(whole);
        if (rule->pointWhenWhole) text += QLatin1Char('.');
    } else {
        if (whole != 0 || rule->leadingZero) text += QString::number(whole);
        text += QLatin1Char('.');
        text += QString::number(fraction).rightJustified(rule->decimals, QLatin1Char('0'));
    }
    return text.rightJustified(rule->width, QLatin1Char(' '));
}

QString FortranFormat(IUserInterface& ui, double value, const QString& format) {
    std::optional<QString> text = FortranFormatText(value, format);
    if (text) return *text;
    MessageRequest box;
    box.text = QStringLiteral("FortranFormat, Unknown format.");
    ui.MessageBox(box);
    return QString();
}

QString LatitudeLetter(double latitude) {
    return latitude > 0 ? QStringLiteral("N") : QStringLiteral("S");
}

QString LongitudeLetter(double longitude) {
    return longitude > 0 ? QStringLiteral("E") : QStringLiteral("W");
}

// --- DeckWriter ---

DeckWriter& DeckWriter::Line(const QString& text) {
    m_lines.append(text);
    return *this;
}

DeckWriter& DeckWriter::Tab(int column) {
    if (m_lines.isEmpty()) m_lines.append(QString());
    QString& line = m_lines.last();
    if (line.size() < column - 1) line += QString(column - 1 - line.size(), QLatin1Char(' '));
    return *this;
}

DeckWriter& DeckWriter::Text(const QString& text) {
    if (m_lines.isEmpty()) m_lines.append(QString());
    m_lines.last() += text;
    return *this;
}

DeckWriter& DeckWriter::Number(double value, const QString& format, const QString& what) {
    if (!Ok()) return *this;
    const std::optional<QString> text = FortranFormatText(value, format);
    if (!text) {
        m_error = QStringLiteral("FortranFormat, Unknown format.");
        return *this;
    }
    if (text->size() > FortranFormatWidth(format)) {
        m_error = QStringLiteral("%1 %2 does not fit format %3")
                      .arg(what, QString::number(value, 'g', 10), format);
        return *this;
    }
    return Text(*text);
}

QByteArray DeckWriter::Bytes() const {
    QByteArray bytes;
    for (const QString& line : m_lines) {
        bytes += UnicodeToAnsi(line);
        bytes += "\r\n";
    }
    return bytes;
}

// --- output lines ---

OutputLines::OutputLines(const QByteArray& bytes) : m_bytes(bytes) {
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    const char* data = bytes.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c != '\n' && c != '\r') continue;
        m_lines.emplace_back(start, i - start);
        if (c == '\r' && i + 1 < n && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) m_lines.emplace_back(start, n - start);
}

QString OutputLines::Line(qsizetype i) const {
    const auto& [start, length] = m_lines[static_cast<std::size_t>(i)];
    return QString::fromLatin1(m_bytes.constData() + start, length);
}

std::optional<QString> OutputLines::NextLine() {
    if (AtEnd()) return std::nullopt;
    return Line(m_next++);
}

std::optional<QString> OutputLines::NextLineWith(const QByteArray& key) {
    while (!AtEnd()) {
        const auto& [start, length] = m_lines[static_cast<std::size_t>(m_next++)];
        if (QByteArrayView(m_bytes.constData() + start, length).contains(key))
            return Line(m_next - 1);
    }
    return std::nullopt;
}

std::optional<QString> FileFindLine(OutputLines& file, const QString& key) {
    return file.NextLineWith(key.toLatin1());
}

std::vector<QString> ParseFixedFields(const QString& line, int firstColumn, int width, int count) {
    std::vector<QString> fields;
    fields.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int j = 0; j < count; ++j) {
        const qsizetype start = firstColumn - 1 + static_cast<qsizetype>(j) * width;
        fields.push_back(start < line.size() ? line.mid(start, width) : QString());
    }
    return fields;
}

bool ParseFixedFields(const QString& line, int firstColumn, int width, int count,
                      std::vector<double>& values, QString& error) {
    values.clear();
    const std::vector<QString> fields = ParseFixedFields(line, firstColumn, width, count);
    for (std::size_t j = 0; j < fields.size(); ++j) {
        const std::optional<double> value = FieldNumber(fields[j]);
        if (!value) {
            error = QStringLiteral("Field \"%1\" in column %2 of line \"%3\" is not a number")
                        .arg(fields[j])
                        .arg(firstColumn + static_cast<int>(j) * width)
                        .arg(line.trimmed());
            return false;
        }
        values.push_back(*value);
    }
    return true;
}

QString FixedFieldWhole(const QString& line, int firstColumn, int width) {
    auto blank = [&](qsizetype i) { return i < 0 || i >= line.size() || line[i].isSpace(); };
    qsizetype start = firstColumn - 1;
    qsizetype end = start + width;  // one past the field
    if (start < 0 || start >= line.size() || width < 1)
        return ParseFixedFields(line, firstColumn, width, 1).front();
    while (!blank(start) && !blank(start - 1)) --start;
    while (end <= line.size() && !blank(end - 1) && !blank(end)) ++end;
    return line.mid(start, end - start);
}

std::optional<double> FieldNumber(const QString& field) {
    const QByteArray text = field.trimmed().toLatin1();
    if (text.isEmpty()) return std::nullopt;
    double value = 0.0;
    const char* begin = text.constData();
    const char* end = begin + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace tw
