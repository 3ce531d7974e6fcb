#include "postal/addresses/ZipStateTable.h"

#include "postal/addresses/PostalTable.h"
#include "reporting_engine/base/EngineError.h"

#include <QRegularExpression>

namespace postal {

const ZipStateTable &ZipStateTable::standard()
{
    static const ZipStateTable table = [] {
        const PostalTable file = PostalTable::load(QStringLiteral("zip3-state.txt"), 2, 8);
        static const QRegularExpression prefix(QStringLiteral("^[0-9]{3}$"));
        static const QRegularExpression code(QStringLiteral("^[A-Z]{2}$"));
        ZipStateTable t;
        for (const QStringList &row : file.rows()) {
            const QStringList states = row.mid(1);
            const bool wellFormed = prefix.match(row.at(0)).hasMatch() &&
                                    std::all_of(states.cbegin(), states.cend(), [](const QString &s) { return code.match(s).hasMatch(); });
            if (!wellFormed || t.m_states.contains(row.at(0)))
                throw engine::EngineError(QStringLiteral("The postal table %1 is damaged: \"%2\" is no new prefix and state codes.")
                                              .arg(file.path(), row.join(QLatin1Char(' '))));
            t.m_states.insert(row.at(0), states);
        }
        return t;
    }();
    return table;
}

QString ZipStateTable::mismatch(const QString &state, const QString &zipDigits) const
{
    const QStringList states = statesOf(zipDigits);
    if (states.isEmpty())
        return QStringLiteral("the ZIP code %1 has a prefix (%2) no state is assigned").arg(zipDigits.left(5), zipDigits.left(3));
    if (states.contains(state))
        return QString();
    return QStringLiteral("the ZIP code %1 is in %2, not in %3").arg(zipDigits.left(5), states.join(QLatin1Char('/')), state);
}

} // namespace postal
