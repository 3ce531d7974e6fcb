#pragma once

#include "postal/codes/ImbSerialSource.h"
#include "postal/PostalExport.h"

#include <QString>

namespace postal {

// One Mailer ID's serials from a sequence in the office's PostgreSQL database, for
// machines that share no safe file: korva_imb_serial_MAILERID, made when missing.
// Every change is one transaction under an advisory lock for the Mailer ID, so
// programs on any machine reserving at once get disjoint ranges; the sequence
// holds the last serial handed out. Throws engine::EngineError naming the database
// (never its password) and the Mailer ID.
class POSTAL_EXPORT ImbSerialDatabase final : public ImbSerialSource {
public:
    // url: postgresql://user@host:port/database, opened for writing.
    // applicationName: the name the session shows the server.
    ImbSerialDatabase(const QString &mailerId, const QString &url, const QString &applicationName);
    ~ImbSerialDatabase() override;
    ImbSerialDatabase(const ImbSerialDatabase &) = delete;
    ImbSerialDatabase &operator=(const ImbSerialDatabase &) = delete;

    // The sequence's name in the database.
    static QString sequenceName(const QString &mailerId);

    Range reserve(std::uint64_t count) override;
    bool release(const Range &range, std::uint64_t used) override;
    QString serialText(std::uint64_t serial) const override;

private:
    // Runs the change in one locked transaction: it gets the next serial and returns the
    // one to set, or nothing to leave the sequence as it is.
    template<typename Change>
    void locked(const Change &change);

    QString m_mailerId;
    QString m_url;
    QString m_connection;
    int m_width = 0;
    std::uint64_t m_limit = 0;
};

} // namespace postal
