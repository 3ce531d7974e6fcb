#pragma once

#include "cli/CommandIo.h"

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
    static const char usageLine[];

    // api: the Windows calls the report makes (the program's come from the
    // environment's Wine prefix, a test's from its own); checkArguments needs none.
    explicit BatchCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io = {});
    ~BatchCommand();

    // arguments[0] is the program name and arguments[1] "batch", as in argv.
    int run(const QStringList &arguments);

    // Checks the arguments as run() does and stops there: ExitStatus::ok, or
    // ExitStatus::usage after the same message and usage line. Opens, makes and prints nothing.
    int checkArguments(const QStringList &arguments) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
