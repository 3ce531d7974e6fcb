#pragma once

#include "platform/MessagePresenter.h"
#include "platform/PlatformExport.h"

#include <memory>

namespace platform {

// Picks how this process shows message boxes: a real dialog when it runs a GUI
// application on a screen, standard error otherwise.
class PLATFORM_EXPORT MessagePresenterFactory {
public:
    static std::shared_ptr<MessagePresenter> forThisProcess(const QString &programTitle);
    static bool hasScreen();
};

} // namespace platform
