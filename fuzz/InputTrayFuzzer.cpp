// One printer-input-tray value, as a driverless printer sends it: any bytes give
// a tray with a type and a name, or nothing.
#include "fuzz/FuzzSupport.h"
#include "reporting_engine/print/InputTray.h"

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
    if (const auto tray = engine::InputTray::parse(bytes)) {
        fuzzsupport::check(!tray->name.isEmpty() && !tray->type.isEmpty());
        fuzzsupport::check(tray->name.size() + tray->type.size() <= bytes.size());
        fuzzsupport::check(!(tray->feedsManually() && tray->feedsAutomatically()));
    }
    return 0;
}
