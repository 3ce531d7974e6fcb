#include "envelope_batch/ColumnMapping.h"

#include "reporting_engine/base/EngineError.h"

namespace envelope {
namespace {

const std::array<const char *, ColumnMapping::partCount> partNames{"name", "street1", "street2", "city", "state", "zip", "imb"};

int findColumn(const QStringList &names, const QString &wanted)
{
    if (const qsizetype exact = names.indexOf(wanted); exact >= 0)
        return static_cast<int>(exact);
    int found = -1;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0) {
            if (found >= 0)
                return -2; // two candidates: do not guess
            found = static_cast<int>(i);
        }
    }
    return found;
}

} // namespace

ColumnMapping::ColumnMapping()
{
    for (int i = 0; i < partCount; ++i)
        m_columns[i] = QLatin1String(partNames[i]);
}

QString ColumnMapping::partName(Part part) { return QLatin1String(partNames[static_cast<int>(part)]); }

ColumnMapping ColumnMapping::parse(const QString &spec)
{
    ColumnMapping mapping;
    std::array<bool, partCount> given{};
    for (const QString &item : spec.split(QLatin1Char(','))) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString part = (eq < 0 ? item : item.left(eq)).trimmed();
        const QString column = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        int index = -1;
        for (int i = 0; i < partCount; ++i)
            if (part == QLatin1String(partNames[i]))
                index = i;
        if (index < 0)
            throw engine::EngineError(QStringLiteral("--columns: \"%1\" is not a part of the address (name, street1, street2, "
                                                     "city, state, zip, imb)")
                                          .arg(part));
        if (given[index])
            throw engine::EngineError(QStringLiteral("--columns: %1 is given more than once").arg(part));
        if (column.isEmpty())
            throw engine::EngineError(QStringLiteral("--columns: %1 needs a column name (%1=COLUMN)").arg(part));
        given[index] = true;
        mapping.m_columns[index] = column;
    }
    mapping.m_explicit = given;
    return mapping;
}

ColumnMapping::Positions ColumnMapping::resolve(const QStringList &columnNames) const
{
    Positions positions{};
    for (int i = 0; i < partCount; ++i) {
        const int at = findColumn(columnNames, m_columns[i]);
        if (at == -2)
            throw engine::EngineError(QStringLiteral("The input has several columns named \"%1\" but for case; name the one "
                                                     "for %2 exactly with --columns.")
                                          .arg(m_columns[i], QLatin1String(partNames[i])));
        // Many address lists have no second street line or tracking code; only one asked for by name must be there.
        const bool optional = static_cast<Part>(i) == Part::Street2 || static_cast<Part>(i) == Part::Imb;
        if (at < 0 && !(optional && !m_explicit[i]))
            throw engine::EngineError(QStringLiteral("The input has no column \"%1\" for the %2 (its columns: %3); name the "
                                                     "right one with --columns %2=COLUMN.")
                                          .arg(m_columns[i], QLatin1String(partNames[i]), columnNames.join(QStringLiteral(", "))));
        positions[i] = at;
    }
    return positions;
}

} // namespace envelope
