#pragma once

#include "cli/CommandIo.h"

#include <QStringList>

#include <memory>

namespace platform {
class WindowsApi;
}

namespace cli {

// The `envelope` command: prints one envelope through the envelope report as a
// host program would. Takes its argument list so tests can call it directly.
class EnvelopeCommand {
public:
    // api: the Windows calls the report makes (the program's come from the
    // environment's Wine prefix, a test's from its own); checkArguments needs none.
    explicit EnvelopeCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io = {});
    ~EnvelopeCommand();

    // arguments[0] is the program name, as in argv.
    int run(const QStringList &arguments);

    // Checks an envelope's arguments as run() does and stops there: ExitStatus::ok, or
    // ExitStatus::usage after the same message and usage line. Opens and prints nothing.
    int checkArguments(const QStringList &arguments) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
