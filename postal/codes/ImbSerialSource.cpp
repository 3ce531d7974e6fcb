#include "postal/codes/ImbSerialSource.h"

#include "reporting_engine/base/EngineError.h"

namespace postal {

ImbSerialSource::Step ImbSerialSource::step(std::uint64_t next, std::uint64_t count, std::uint64_t limit, const QString &mailerId,
                                            const QString &largestText, const QString &where)
{
    if (count < 1 || count > limit)
        throw engine::EngineError(QStringLiteral("Cannot reserve %1 serials for Mailer ID %2: 1 to %3 can be reserved at once.")
                                      .arg(static_cast<qulonglong>(count))
                                      .arg(mailerId)
                                      .arg(static_cast<qulonglong>(limit)));
    Step s;
    s.range.count = count;
    s.range.first = next + count > limit ? 0 : next;
    s.next = s.range.first + count;
    if (s.next == limit)
        s.next = 0;
    if (s.range.first != next || s.next == 0)
        s.range.warning = QStringLiteral("The Intelligent Mail serials of Mailer ID %1 reached %2 and start again at 0 (%3); "
                                         "a serial must not repeat within 45 days.")
                              .arg(mailerId, largestText, where);
    return s;
}

void ImbSerialSource::checkRange(const Range &range, std::uint64_t limit, const QString &mailerId)
{
    if (range.count == 0 || range.first >= limit || range.count > limit - range.first)
        throw engine::EngineError(QStringLiteral("Serials %1 + %2 are not a range of Mailer ID %3.")
                                      .arg(static_cast<qulonglong>(range.first))
                                      .arg(static_cast<qulonglong>(range.count))
                                      .arg(mailerId));
}

} // namespace postal
