#include "cli/EnvelopeCommand.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    // A command-line program never opens a window: fonts and painting need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("envelope"));
    return cli::EnvelopeCommand().run(QGuiApplication::arguments());
}
