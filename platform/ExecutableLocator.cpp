#include "platform/ExecutableLocator.h"

#include <QFileInfo>

namespace platform {

ExecutableLocator::ExecutableLocator(std::function<QString()> source) : m_source(std::move(source)) {}

QString ExecutableLocator::path() const
{
    if (m_source)
        return m_source();
    return readExecutableLink(QStringLiteral("/proc/self/exe"));
}

QString ExecutableLocator::readExecutableLink(const QString &link)
{
    QString target = QFileInfo(link).symLinkTarget();
    const QLatin1String deleted(" (deleted)");
    if (target.endsWith(deleted) && !QFileInfo::exists(target))
        target.chop(deleted.size());
    return target;
}

} // namespace platform
