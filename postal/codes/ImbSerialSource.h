#pragma once

#include "postal/PostalExport.h"

#include <QString>

#include <cstdint>

namespace postal {

// Where one Mailer ID's Intelligent Mail serials come from: a counter that hands out
// ranges of serials never handed out before (within 45 days), and takes the unused
// tail of the last range back. Throws engine::EngineError naming the counter.
class POSTAL_EXPORT ImbSerialSource {
public:
    // Serials first .. first + count - 1, all below the Mailer ID's limit.
    struct Range {
        std::uint64_t first = 0;
        std::uint64_t count = 0;
        QString warning; // set when the counter passed its largest serial and started again at 0
    };

    virtual ~ImbSerialSource() = default;

    // Reserves count (1 .. the limit) serials in one step. A range never runs past the
    // largest serial: when the rest would not hold it, it starts at 0 and says so in warning.
    virtual Range reserve(std::uint64_t count) = 0;
    // Gives back the serials of range from range.first + used on, when no one has reserved
    // since: only then is the counter set back. Returns whether it was; when not, the
    // unused serials are skipped, which keeps every serial unique.
    virtual bool release(const Range &range, std::uint64_t used) = 0;
    // The serial zero-padded to the Mailer ID's serial width, as it goes into the tracking code.
    virtual QString serialText(std::uint64_t serial) const = 0;

protected:
    // The range next .. next + count - 1, or from 0 when it would run past limit, with the
    // warning naming where the counter lives when it starts again at 0; and the counter's
    // next serial after it. Throws when count is not 1 .. limit.
    struct Step {
        Range range;
        std::uint64_t next = 0;
    };
    static Step step(std::uint64_t next, std::uint64_t count, std::uint64_t limit, const QString &mailerId,
                     const QString &largestText, const QString &where);

    // Throws when range is not one of a Mailer ID with this limit.
    static void checkRange(const Range &range, std::uint64_t limit, const QString &mailerId);

    ImbSerialSource() = default;
    ImbSerialSource(const ImbSerialSource &) = default;
    ImbSerialSource &operator=(const ImbSerialSource &) = default;
};

} // namespace postal
