#pragma once

#include "platform/PlatformExport.h"

#include <QString>

namespace platform {

// Where the program's modal message boxes go. The design's messages are part of
// its behaviour, so every one of them passes through a presenter that can be
// swapped: a real dialog in the GUI, standard error on a terminal, a recorder in tests.
class PLATFORM_EXPORT MessagePresenter {
public:
    virtual ~MessagePresenter() = default;

    // Shows text with only an OK button and returns once it is dismissed. An empty
    // caption means the program's title.
    virtual void show(const QString &text, const QString &caption) = 0;

    void show(const QString &text) { show(text, QString()); }

protected:
    MessagePresenter() = default;
    MessagePresenter(const MessagePresenter &) = default;
    MessagePresenter &operator=(const MessagePresenter &) = default;
};

} // namespace platform
