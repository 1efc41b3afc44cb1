#include "views/Coastline.h"

#include <QFile>
#include <QtEndian>

namespace tw {

namespace {
constexpr char kMagic[] = "TWCOAST1";
constexpr qint64 kMagicSize = 8;
// Far more than the file holds: a larger file is not one of ours.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;
// Neighbouring points this far apart on the map lie on both sides of the
// rim: the coastline's points are never more than a few degrees apart.
constexpr double kRimJump = 0.25;
}  // namespace

bool Coastline::Load(const QString& file, QString& error) {
    m_points.clear();
    m_starts.clear();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("\"%1\" cannot be read: %2").arg(file, in.errorString());
        return false;
    }
    const QByteArray data = in.read(kMaxBytes + 1);
    const auto bad = [&] {
        error = QStringLiteral("\"%1\" is not a coastline file").arg(file);
        m_points.clear();
        m_starts.clear();
        return false;
    };
    if (data.size() > kMaxBytes || data.size() < kMagicSize + 4 || !data.startsWith(kMagic)) return bad();
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    qint64 at = kMagicSize;
    const quint32 lines = qFromLittleEndian<quint32>(bytes + at);
    at += 4;
    m_starts.reserve(lines + 1);
    m_points.reserve(static_cast<std::size_t>((size - at) / 4));
    constexpr double kMinutes = 1.0 / 60.0;
    for (quint32 line = 0; line < lines; ++line) {
        if (size - at < 4) return bad();
        const quint32 count = qFromLittleEndian<quint32>(bytes + at);
        at += 4;
        if (static_cast<qint64>(count) > (size - at) / 4) return bad();
        m_starts.push_back(m_points.size());
        for (quint32 i = 0; i < count; ++i, at += 4) {
            const qint16 latitude = qFromLittleEndian<qint16>(bytes + at);
            const qint16 longitude = qFromLittleEndian<qint16>(bytes + at + 2);
            if (latitude < -5400 || latitude > 5400 || longitude < -10800 || longitude > 10800) return bad();
            m_points.push_back(UnitVectorOf(latitude * kMinutes, longitude * kMinutes));
        }
    }
    if (at != size) return bad();
    m_starts.push_back(m_points.size());
    return true;
}

std::vector<std::vector<MapPoint>> Coastline::Project(const AzimuthalProjection& projection) const {
    std::vector<std::vector<MapPoint>> out;
    for (std::size_t line = 0; line + 1 < m_starts.size(); ++line) {
        std::vector<MapPoint> part;
        for (std::size_t i = m_starts[line]; i < m_starts[line + 1]; ++i) {
            const MapPoint p = projection.Project(m_points[i]);
            if (!part.empty() && std::fabs(p.x - part.back().x) + std::fabs(p.y - part.back().y) > kRimJump) {
                if (part.size() > 1) out.push_back(std::move(part));
                part.clear();
            }
            part.push_back(p);
        }
        if (part.size() > 1) out.push_back(std::move(part));
    }
    return out;
}

}  // namespace tw
