// The system file texts on any input: frequency lists give only frequencies
// above zero, each shown with one decimal rounded on its decimal text (the
// lists' "0.0" rule); locators only points on the globe; selections no empty
// names.

#include <QString>

#include <cmath>
#include <cstdlib>

#include "airmail/Stations.h"
#include "settings/NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const tw::StationFrequency& f : tw::FrequencyListParse(text)) {
        if (!(f.kHz > 0.0) || !std::isfinite(f.kHz)) std::abort();
        const QString number = tw::NumberFormat(f.kHz, 1);
        if (f.text != (f.pactor3 ? number + QStringLiteral("(p3)") : number)) std::abort();
    }
    for (const QString& name : tw::SelectedStationsParse(text))
        if (name.isEmpty()) std::abort();
    double lat = 0.0, lon = 0.0;
    if (tw::LatLonFromGridSquare(text, lat, lon) &&
        (std::fabs(lat) > 90.0 || std::fabs(lon) > 180.0))
        std::abort();
    for (const char* system : {"SAILMAIL", "HAM"})
        (void)tw::StationInfoParse(QString::fromLatin1(system), text);
    return 0;
}
