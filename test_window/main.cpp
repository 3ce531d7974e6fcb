#include "platform/GuiMessagePresenter.h"
#include "platform/WindowsApi.h"
#include "test_window/Form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString title = QStringLiteral("Envelope Test");
    QApplication::setApplicationName(title);
    QApplication::setApplicationDisplayName(title);

    testwindow::Form1::Options options;
    options.api = platform::WindowsApi::fromEnvironment(std::make_shared<platform::GuiMessagePresenter>(title));
    testwindow::Form1 window(std::move(options));
    window.show();
    return QApplication::exec();
}
