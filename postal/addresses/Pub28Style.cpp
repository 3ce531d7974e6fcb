#include "postal/addresses/Pub28Style.h"

#include "postal/addresses/PostalTable.h"
#include "reporting_engine/base/EngineError.h"

namespace postal {
namespace {

bool hasDigit(const QString &word)
{
    return std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isDigit(); });
}

// §212: periods and apostrophes go without a trace (P.O., O'NEIL); other punctuation
// parts words. A hyphen stays inside a word with a digit (ZIP+4, 1-B, 123-45).
QStringList withoutPunctuation(const QString &upper)
{
    QString out;
    out.reserve(upper.size());
    for (qsizetype i = 0; i < upper.size(); ++i) {
        const QChar c = upper.at(i);
        if (c.isLetterOrNumber())
            out += c;
        else if (c == QLatin1Char('.') || c == QLatin1Char('\'') || c == QChar(0x2019))
            continue;
        else if (c == QLatin1Char('#'))
            out += QStringLiteral(" # "); // §213: "#" stands for a designator not known
        else if (c == QLatin1Char('-') && i > 0 && i + 1 < upper.size() && upper.at(i - 1).isLetterOrNumber() &&
                 upper.at(i + 1).isLetterOrNumber())
            out += c; // kept or dropped below, once the whole word is known
        else
            out += QLatin1Char(' ');
    }
    QStringList words;
    for (QString &w : out.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!w.contains(QLatin1Char('-')) || hasDigit(w))
            words << std::move(w);
        else
            words << w.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    }
    return words;
}

void checkAbbreviation(const PostalTable &t, const QStringList &row)
{
    if (row.value(1).isEmpty())
        throw engine::EngineError(QStringLiteral("The postal table %1 is damaged: \"%2\" has no abbreviation.").arg(t.path(), row.at(0)));
}

} // namespace

const Pub28Style &Pub28Style::standard()
{
    static const Pub28Style style = [] {
        Pub28Style s;
        const PostalTable suffixes = PostalTable::load(QStringLiteral("street-suffixes.txt"), 2, 2);
        s.m_suffixes = suffixes.pairs();
        const PostalTable units = PostalTable::load(QStringLiteral("unit-designators.txt"), 3, 3);
        for (const QStringList &row : units.rows()) {
            if (row.at(2) != QLatin1String("yes") && row.at(2) != QLatin1String("no"))
                throw engine::EngineError(QStringLiteral("The postal table %1 is damaged: \"%2\" needs a number \"yes\" or \"no\", not \"%3\".")
                                              .arg(units.path(), row.at(0), row.at(2)));
            s.m_units.insert(row.at(0), row.at(1));
            s.m_units.insert(row.at(1), row.at(1));
            s.m_unitNeedsNumber.insert(row.at(1), row.at(2) == QLatin1String("yes"));
        }
        const PostalTable directionals = PostalTable::load(QStringLiteral("directionals.txt"), 2, 3);
        for (const QStringList &row : directionals.rows()) {
            checkAbbreviation(directionals, row);
            s.m_directionals.insert(row.at(0), row.at(1));
            s.m_directionals.insert(row.at(1), row.at(1));
        }
        const PostalTable states = PostalTable::load(QStringLiteral("state-codes.txt"), 2, 2);
        for (const auto &[code, name] : states.pairs().asKeyValueRange()) {
            s.m_stateNames.insert(code, name);
            s.m_stateCodes.insert(name, code);
        }
        if (s.m_stateNames.size() != 62)
            throw engine::EngineError(QStringLiteral("The postal table %1 is damaged: it has %2 state codes, not 62.")
                                          .arg(states.path())
                                          .arg(s.m_stateNames.size()));
        return s;
    }();
    return style;
}

QStringList Pub28Style::words(const QString &text) const
{
    return withoutPunctuation(text.toUpper());
}

QString Pub28Style::plain(const QString &text) const { return words(text).join(QLatin1Char(' ')); }

QString Pub28Style::state(const QString &text) const
{
    const QString name = plain(text);
    return m_stateCodes.value(name, name);
}

// The secondary unit (§213): a designator that starts the line (a street2 of its own) or
// follows the street suffix, with its number when it needs one. Returns where it starts,
// or the word count when there is none. Looking only there keeps FRONT ST and LOT LN whole.
qsizetype Pub28Style::abbreviateUnit(QStringList &w, std::vector<bool> &isSuffix) const
{
    for (qsizetype i = 0; i < w.size(); ++i) {
        if (i != 0 && !(i >= 2 && isSuffix[size_t(i - 1)]))
            continue;
        const auto unit = m_units.constFind(w.at(i));
        if (unit == m_units.cend())
            continue;
        const bool needsNumber = m_unitNeedsNumber.value(*unit);
        if (needsNumber != (i + 1 < w.size()))
            continue;
        w[i] = *unit;
        while (i + 2 < w.size() && w.at(i + 1) == QLatin1String("#")) {
            w.removeAt(i + 1); // APT # 4: the designator says it already
            isSuffix.erase(isSuffix.begin() + i + 1);
        }
        return i;
    }
    return w.size();
}

// The suffix is the last suffix word before the unit, not the house number nor the only
// name word (123 ST is a street named ST... rather than no name at all). A directional
// just after the number and before more name, or just after the suffix, is abbreviated.
void Pub28Style::abbreviateSuffixAndDirectionals(QStringList &w, const std::vector<bool> &isSuffix, qsizetype unitAt) const
{
    const qsizetype first = !w.isEmpty() && hasDigit(w.at(0)) ? 1 : 0;
    qsizetype suffixAt = -1;
    for (qsizetype i = unitAt - 1; i > first; --i) {
        if (isSuffix[size_t(i)]) {
            suffixAt = i;
            break;
        }
    }
    if (suffixAt > 0) {
        w[suffixAt] = m_suffixes.value(w.at(suffixAt));
        if (suffixAt + 1 < unitAt && m_directionals.contains(w.at(suffixAt + 1)))
            w[suffixAt + 1] = m_directionals.value(w.at(suffixAt + 1));
    }
    const qsizetype nameEnd = suffixAt > 0 ? suffixAt : unitAt;
    if (first < nameEnd - 1 && m_directionals.contains(w.at(first)))
        w[first] = m_directionals.value(w.at(first));
}

QString Pub28Style::deliveryLine(const QString &text) const
{
    QStringList w = words(text);
    std::vector<bool> isSuffix(size_t(w.size()));
    for (qsizetype i = 1; i < w.size(); ++i) // the first word is the number or a unit, never the suffix
        isSuffix[size_t(i)] = m_suffixes.contains(w.at(i));
    const qsizetype unitAt = abbreviateUnit(w, isSuffix);
    abbreviateSuffixAndDirectionals(w, isSuffix, unitAt);
    return w.join(QLatin1Char(' '));
}

} // namespace postal
