#include "cli/BatchCommand.h"
#include "cli/CommandIo.h"
#include "cli/EnvelopeCommand.h"
#include "cli/PrinterCommand.h"
#include "cli/runs/CheckCommand.h"
#include "cli/runs/JournalCommand.h"
#include "cli/runs/ReprintCommand.h"
#include "platform/TerminalMessagePresenter.h"
#include "platform/WindowsApi.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

// Qt's notes about the desktop session (no runtime folder on a server) are not the
// user's business on the command line and would break the report's message order.
void filterQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "envelope: %s\n", qUtf8Printable(message));
}

// The program's Windows calls: the Wine prefix the environment names, message
// boxes as lines on the command's message stream.
std::shared_ptr<platform::WindowsApi> environmentApi(const cli::CommandIo &io)
{
    return platform::WindowsApi::fromEnvironment(std::make_shared<platform::TerminalMessagePresenter>(QStringLiteral("envelope"), io.err));
}

// The command the first word names; without one of theirs, the single envelope.
int runCommand(const QStringList &arguments)
{
    const cli::CommandIo io;
    const QString word = arguments.value(1);
    if (word == QLatin1String("batch"))
        return cli::BatchCommand(environmentApi(io), io).run(arguments);
    if (word == QLatin1String("reprint"))
        return cli::ReprintCommand(environmentApi(io), io).run(arguments);
    if (word == QLatin1String("journal"))
        return cli::JournalCommand(io).run(arguments);
    if (word == QLatin1String("check"))
        return cli::CheckCommand(environmentApi(io), io).run(arguments);
    if (cli::PrinterCommand::handles(word))
        return cli::PrinterCommand(io).run(arguments);
    return cli::EnvelopeCommand(environmentApi(io), io).run(arguments);
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(filterQtMessages);
    // A command-line program never opens a window: fonts and painting need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("envelope"));
    return runCommand(QGuiApplication::arguments());
}
