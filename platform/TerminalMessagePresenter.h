#pragma once

#include "platform/MessagePresenter.h"

#include <cstdio>

namespace platform {

// Without a screen a message box becomes two lines on a stream (standard error by
// default): "[caption]" and the text; it returns at once.
class TerminalMessagePresenter final : public MessagePresenter {
public:
    explicit TerminalMessagePresenter(QString programTitle, std::FILE *stream = stderr);
    using MessagePresenter::show;
    void show(const QString &text, const QString &caption) override;

private:
    QString m_title;
    std::FILE *m_stream;
};

} // namespace platform
