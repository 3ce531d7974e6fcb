#include "platform/TerminalMessagePresenter.h"

namespace platform {

TerminalMessagePresenter::TerminalMessagePresenter(QString programTitle, std::FILE *stream)
    : m_title(std::move(programTitle)), m_stream(stream)
{
}

void TerminalMessagePresenter::show(const QString &text, const QString &caption)
{
    const QString line = QLatin1Char('[') + (caption.isEmpty() ? m_title : caption) + QLatin1String("] ")
        + QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")) + QLatin1Char('\n');
    const QByteArray bytes = line.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_stream);
    std::fflush(m_stream);
}

} // namespace platform
