#include "cli/OptionParser.h"

namespace cli {

OptionParser::OptionParser(const QList<QCommandLineOption> &options)
    : m_help(QStringList{QStringLiteral("help"), QStringLiteral("h")})
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOptions(options);
    m_parser.addOption(m_help);
}

bool OptionParser::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        throw UsageError{m_parser.errorText()};
    if (m_parser.isSet(m_help))
        return false;
    if (!m_parser.positionalArguments().isEmpty())
        throw UsageError{QStringLiteral("unexpected argument \"%1\"").arg(m_parser.positionalArguments().first())};
    for (const QString &option : m_parser.optionNames())
        if (m_parser.values(option).size() > 1)
            throw UsageError{QStringLiteral("--%1 is given more than once").arg(option)};
    return true;
}

void OptionParser::requireValue(const QCommandLineOption &option, const char *what) const
{
    if (m_parser.isSet(option) && m_parser.value(option).isEmpty())
        throw UsageError{QStringLiteral("--%1 needs %2").arg(option.names().first(), QLatin1String(what))};
}

} // namespace cli
