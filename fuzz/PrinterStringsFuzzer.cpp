// A printer's strings file, as its printer-strings-uri serves it: any bytes give
// the texts or an EngineError, never more text than bytes read.
#include "fuzz/FuzzSupport.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/print/PrinterStrings.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const engine::PrinterStrings strings = engine::PrinterStrings::parse(bytes);
        for (const char *keyword : {"ef-1", "mf-1", "auto", "envelope"})
            fuzzsupport::check(strings.text("media-source", keyword).size() <= bytes.size());
        fuzzsupport::check(strings.size() <= bytes.size() / 6); // "k"="v"; at the least
    } catch (const engine::EngineError &) {
        // a damaged file: the printer's keywords are used alone
    }
    return 0;
}
