#include "cli/CommandUsage.h"

#include "cli/ExitStatus.h"
#include "cli/OptionParser.h"

namespace cli {

CommandUsage::CommandUsage(QString name, const char *usageLine, QString help)
    : m_name(std::move(name)), m_usageLine(usageLine), m_help(std::move(help))
{
}

std::optional<int> CommandUsage::parseOrReport(const std::function<bool()> &parse, const CommandIo &io) const
{
    try {
        if (parse())
            return std::nullopt;
        std::fputs(m_usageLine, io.out);
        std::fputs(qUtf8Printable(m_help), io.out);
        return ExitStatus::ok;
    } catch (const OptionParser::UsageError &e) {
        std::fputs(qUtf8Printable(QStringLiteral("%1: %2\n").arg(m_name, e.message)), io.err);
        std::fputs(m_usageLine, io.err);
        return ExitStatus::usage;
    }
}

} // namespace cli
