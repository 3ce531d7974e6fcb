#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace postal {

// Which states a 3-digit ZIP Code prefix serves (DMM Labeling List L002, the 3-Digit
// ZIP Code Prefix Matrix; zip3-state.txt names its edition). A few prefixes serve
// more than one state (063: CT and Fishers Island NY), so every state listed counts.
class ZipStateTable {
public:
    // The shipped table, read once; throws engine::EngineError naming a missing or damaged file.
    static const ZipStateTable &standard();

    // The states of the prefix of zip5 (or of a ZIP+4), the prefix's own first; empty
    // when the prefix is not assigned.
    QStringList statesOf(const QString &zipDigits) const { return m_states.value(zipDigits.left(3)); }

    // Why a record's two-letter state does not go with its ZIP, in words; empty when it
    // does. Only for a ZIP of valid digits.
    QString mismatch(const QString &state, const QString &zipDigits) const;

private:
    QHash<QString, QStringList> m_states;
};

} // namespace postal
