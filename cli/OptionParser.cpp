#include "cli/OptionParser.h"

namespace cli {

OptionParser::OptionParser(const QList<QCommandLineOption> &options)
    : m_help(QStringList{QStringLiteral("help"), QStringLiteral("h")})
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOptions(options);
    m_parser.addOption(m_help);
}

QCommandLineOption OptionParser::withValue(const char *name, const char *valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName));
}

void OptionParser::allowBareOption(const QString &name, const QString &whenAbsent) { m_bare.append({name, whenAbsent}); }

bool OptionParser::parse(const QStringList &given)
{
    QStringList arguments = given;
    for (const auto &[name, whenAbsent] : m_bare) {
        for (qsizetype i = 1; i < arguments.size(); ++i) {
            if (arguments[i] != QLatin1String("--") + name && arguments[i] != QLatin1String("-") + name)
                continue;
            bool isNumber = false;
            if (i + 1 < arguments.size())
                arguments[i + 1].toDouble(&isNumber);
            if (isNumber)
                arguments[i] += QLatin1Char('=') + arguments.takeAt(i + 1);
            else
                arguments[i] += QLatin1Char('=') + whenAbsent;
        }
    }
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

double OptionParser::number(const QCommandLineOption &option, double min, double max, const char *what) const
{
    bool ok = false;
    const double value = m_parser.value(option).toDouble(&ok);
    if (!ok || !(value >= min && value <= max))
        throw UsageError{QStringLiteral("--%1 \"%2\" is not %3").arg(option.names().first(), m_parser.value(option), QLatin1String(what))};
    return value;
}

} // namespace cli
