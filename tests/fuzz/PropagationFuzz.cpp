// The propagation output readers on any output: they read what they can or
// fail with a description, and never read outside their tables.

#include <QByteArray>
#include <QString>

#include <cstdlib>

#include "propagation/PropagationDecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    tw::PropagationRun run;
    run.Frequencies = {3600, 5100, 7000, 9200, 11800, 13700, 15100, 17700, 21100, 21200, 25000};
    run.FirstIndex = 1 + data[0] % 2;
    run.LastIndex = run.FirstIndex + data[0] / 2 % 10;
    run.FirstHour = 20;
    run.HourCount = data[0] & 0x80 ? 24 : 2;
    const QByteArray output(reinterpret_cast<const char*>(data + 1),
                            static_cast<qsizetype>(size - 1));
    for (const auto read : {&tw::IcepacVoacapReadOutput, &tw::Rec533ReadOutput}) {
        tw::PropagationHours table;
        tw::PropagationPath path;
        QString error;
        if (!read(output, run, table, path, error) && error.isEmpty()) std::abort();
    }
    return 0;
}
