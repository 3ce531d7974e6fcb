#pragma once

#include "postal/codes/ImbSerialSource.h"
#include "postal/PostalExport.h"

#include <QString>

#include <cstdint>

namespace postal {

// The serial numbers of one Mailer ID's Intelligent Mail tracking codes, which must not
// repeat within 45 days. The next free serial lives in a file of its own, one line of
// decimal digits; every change is made under a lock on "FILE.lock" beside it and written
// to a temporary file renamed into place, so programs printing at the same time, also on
// other machines sharing the file, never get the same serial. A damaged file is refused,
// never reset. Throws engine::EngineError naming the file or the Mailer ID.
class POSTAL_EXPORT ImbSerialCounter final : public ImbSerialSource {
public:

    // mailerId: 6 digits not starting with 9 (9-digit serials) or 9 digits starting with 9
    // (6-digit serials). serialFile: empty for defaultFile(mailerId); a configured path may be a
    // file a whole office shares, whose folder must then exist.
    explicit ImbSerialCounter(const QString &mailerId, const QString &serialFile = QString());

    // $XDG_STATE_HOME/korva-envelope/imb-serial-MAILERID, $XDG_STATE_HOME being ~/.local/state
    // when unset or relative.
    static QString defaultFile(const QString &mailerId);

    const QString &mailerId() const { return m_mailerId; }
    const QString &path() const { return m_path; }
    int serialWidth() const { return m_width; }        // 9 for a 6-digit Mailer ID, 6 for a 9-digit one
    std::uint64_t serialLimit() const { return m_limit; } // serials are 0 .. serialLimit() - 1
    // The serial zero-padded to serialWidth(), as it goes into the tracking code.
    QString serialText(std::uint64_t serial) const override;

    // Reserves count (1 .. serialLimit()) serials in one step. A range never runs past the
    // largest serial: when the rest would not hold it, it starts at 0 and says so in warning.
    Range reserve(std::uint64_t count) override;

    // Gives back the serials of range from range.first + used on, when no one has reserved
    // since: only then is the counter set back. Returns whether it was; when not, the
    // unused serials are skipped, which keeps every serial unique.
    bool release(const Range &range, std::uint64_t used) override;

private:
    QString m_mailerId;
    QString m_path;
    bool m_defaultPath = false;
    int m_width = 0;
    std::uint64_t m_limit = 0;
};

} // namespace postal
