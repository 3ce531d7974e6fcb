#include "platform/MessagePresenterFactory.h"

#include "platform/GuiMessagePresenter.h"
#include "platform/TerminalMessagePresenter.h"

#include <QApplication>

namespace platform {

bool MessagePresenterFactory::hasScreen()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

std::shared_ptr<MessagePresenter> MessagePresenterFactory::forThisProcess(const QString &programTitle)
{
    if (hasScreen())
        return std::make_shared<GuiMessagePresenter>(programTitle);
    return std::make_shared<TerminalMessagePresenter>(programTitle);
}

} // namespace platform
