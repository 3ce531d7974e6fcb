#pragma once

#include "cli/CommandIo.h"

#include <QStringList>

#include <memory>

namespace cli {

// The printer commands: `envelope printers` (what each destination would do with
// an envelope), `envelope printer-profile QUEUE ...` (its stored feed offset,
// turn and source) and `envelope calibrate` (a No. 10 with rulers to measure them).
class PrinterCommand {
public:
    static const char usageLine[];

    static bool handles(const QString &word);

    explicit PrinterCommand(CommandIo io);
    ~PrinterCommand();

    // arguments[0] is the program name, arguments[1] the command's word.
    int run(const QStringList &arguments);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
