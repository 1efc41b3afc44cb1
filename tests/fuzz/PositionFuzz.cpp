// Position texts and the editing of the position boxes on any text: a decoded
// position lies on the globe and reads back from its own text, and the box
// keys never leave the text they were given unreadable when it was readable.

#include <QString>

#include <cmath>
#include <cstdlib>

#include "airmail/Position.h"

namespace {

void CheckRoundTrip(std::optional<double> value, double limit, bool latitude) {
    if (!value) return;
    if (!std::isfinite(*value) || std::fabs(*value) > limit) std::abort();
    const QString text =
        latitude ? tw::LatLonEncodeLatitude(*value) : tw::LatLonEncodeLongitude(*value);
    const auto back =
        latitude ? tw::LatLonDecodeLatitudeValue(text) : tw::LatLonDecodeLongitudeValue(text);
    if (!back || std::fabs(*back - *value) > 0.5 / 6000.0 + 1e-9) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int caret = data[0] % 16;
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data + 1),
                                             static_cast<qsizetype>(size - 1));
    CheckRoundTrip(tw::LatLonDecodeLatitudeValue(text), 90.0, true);
    CheckRoundTrip(tw::LatLonDecodeLongitudeValue(text), 180.0, false);
    (void)tw::AirMailDateTimeFromText(text);
    for (const auto box : {tw::LatLonBox::Latitude, tw::LatLonBox::Longitude}) {
        for (const auto key : {tw::LatLonKey::Left, tw::LatLonKey::Right, tw::LatLonKey::Up,
                               tw::LatLonKey::Down, tw::LatLonKey::Delete}) {
            const auto result = tw::LatLonKeyDown(box, text, caret, key);
            if (result.changed && !tw::LatLonDecodeLatitudeValue(result.text) &&
                !tw::LatLonDecodeLongitudeValue(result.text))
                std::abort();
        }
        (void)tw::LatLonKeyPress(box, text, caret, text.isEmpty() ? QChar('5') : text.back());
        (void)tw::LatLonCaretSnap(box, text, caret, 1);
    }
    return 0;
}
