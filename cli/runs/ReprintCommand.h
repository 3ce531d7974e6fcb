#pragma once

#include "cli/CommandIo.h"

#include <QStringList>

#include <memory>

namespace platform {
class WindowsApi;
}

namespace cli {

// `envelope reprint JOURNAL`: makes again, from a batch's journal alone, the
// envelopes it chooses by state and number, with their lines and barcodes as
// they were; writes a journal of its own naming the one it reprinted.
class ReprintCommand {
public:
    explicit ReprintCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io = {});
    ~ReprintCommand();

    // arguments[0] is the program name and arguments[1] "reprint", as in argv.
    int run(const QStringList &arguments);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
