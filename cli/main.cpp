#include "cli/EnvelopeCommand.h"

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

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(filterQtMessages);
    // A command-line program never opens a window: fonts and painting need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("envelope"));
    return cli::EnvelopeCommand().run(QGuiApplication::arguments());
}
