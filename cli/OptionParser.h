#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace cli {

// The rules both commands hold their options to: one dash or two before a
// name, no option twice, nothing outside an option, and no empty value where a
// value is named. A broken rule throws UsageError with the words for the user.
class OptionParser {
public:
    struct UsageError {
        QString message;
    };

    // --NAME VALUE, with no description of its own: the commands' help texts say it.
    static QCommandLineOption withValue(const char *name, const char *valueName);

    // The options, with --help and -h added.
    explicit OptionParser(const QList<QCommandLineOption> &options);

    // --NAME may stand alone, meaning whenAbsent, or take a whole number as its value
    // ("--wait", "--wait 60", "--wait=60").
    void allowBareOption(const QString &name, const QString &whenAbsent);

    // arguments[0] is the program name. False when help is asked for; the
    // options are then not checked further.
    bool parse(const QStringList &arguments);

    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption &option) const { return m_parser.value(option); }
    // Throws "--NAME needs WHAT" when the option is given an empty value.
    void requireValue(const QCommandLineOption &option, const char *what) const;

    // The option's value as a number in [min, max]; throws "--NAME \"x\" is not WHAT".
    double number(const QCommandLineOption &option, double min, double max, const char *what) const;

private:
    QCommandLineParser m_parser;
    QList<std::pair<QString, QString>> m_bare;
    QCommandLineOption m_help;
};

} // namespace cli
