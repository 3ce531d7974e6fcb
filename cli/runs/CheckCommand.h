#pragma once

#include "cli/CommandIo.h"

#include <QStringList>

#include <memory>

namespace platform {
class WindowsApi;
}

namespace cli {

// `envelope check`: every postal rule the batch applies, on every record of a CSV file
// or a query, without printing anything; each problem listed as the batch lists bad
// records, then one summary line.
class CheckCommand {
public:
    static const char usageLine[];

    explicit CheckCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io = {});
    ~CheckCommand();

    // arguments[0] is the program name and arguments[1] "check". 0 when every record is
    // clean, 1 when any has a problem (or there are none, or the input cannot be read), 2 for bad usage.
    int run(const QStringList &arguments);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
