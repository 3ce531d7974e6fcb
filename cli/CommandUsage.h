#pragma once

#include "cli/CommandIo.h"

#include <QString>

#include <functional>
#include <optional>

namespace cli {

// What a command says about its own command line: on --help its usage line and
// help on the output; after a usage error "NAME: message" and the usage line on
// the message stream, with exit status 2. Every command parses through it.
class CommandUsage {
public:
    // name: how the command's usage errors begin ("envelope", "envelope batch").
    CommandUsage(QString name, const char *usageLine, QString help);

    // Calls parse, which returns false when help is asked for and throws
    // OptionParser::UsageError on bad usage. Nothing when the command goes on;
    // else the exit status after the help or the usage error was shown.
    std::optional<int> parseOrReport(const std::function<bool()> &parse, const CommandIo &io) const;

private:
    QString m_name;
    const char *m_usageLine;
    QString m_help;
};

} // namespace cli
