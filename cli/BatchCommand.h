#pragma once

#include "cli/EnvelopeCommand.h"

#include <QStringList>

#include <memory>

namespace platform {
class WindowsApi;
}

namespace cli {

// `envelope batch`: one envelope per record of a CSV file or a database query,
// into one PDF, one PNG per envelope, or one print job. Takes its argument list
// so tests can call it directly.
class BatchCommand {
public:
    static constexpr int exitInterrupted = 130;

    static const char usageLine[];
    static const char helpText[];

    // Without an api, the Wine prefix of the environment, messages on the err stream.
    explicit BatchCommand(std::shared_ptr<platform::WindowsApi> api = nullptr,
                          EnvelopeCommand::Io io = EnvelopeCommand::Io{stdout, stderr});
    ~BatchCommand();

    // arguments[0] is the program name and arguments[1] "batch", as in argv.
    int run(const QStringList &arguments);

    // Checks the arguments as run() does and stops there: exitOk, or exitUsage
    // after the same message and usage line. Opens, makes and prints nothing.
    int checkArguments(const QStringList &arguments) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
