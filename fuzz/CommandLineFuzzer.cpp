// The `envelope` command line, one argument per line of the input, checked the
// way the command checks it and no further: nothing is read, opened or
// printed. Built twice: as is, and with ENVELOPE_FUZZ_BATCH for the arguments
// after "envelope batch".
#include "cli/BatchCommand.h"
#include "cli/EnvelopeCommand.h"
#include "cli/ExitStatus.h"
#include "fuzz/FuzzSupport.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {
std::FILE *devNull = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::quietQt();
    devNull = std::fopen("/dev/null", "w");
    fuzzsupport::check(devNull != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // As the program gets them: bytes in the locale's encoding (UTF-8 here).
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList arguments{QStringLiteral("envelope")};
#ifdef ENVELOPE_FUZZ_BATCH
    arguments << QStringLiteral("batch");
    const cli::BatchCommand command(nullptr, cli::CommandIo{devNull, devNull});
#else
    const cli::EnvelopeCommand command(nullptr, cli::CommandIo{devNull, devNull});
#endif
    if (!text.isEmpty())
        arguments += text.split(QLatin1Char('\n'));

    const int status = command.checkArguments(arguments);
    fuzzsupport::check(status == cli::ExitStatus::ok || status == cli::ExitStatus::usage);
    return 0;
}
