#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace postal {

// An address written as USPS Publication 28 asks: upper case (§211), no punctuation but
// the hyphen of ZIP+4 and of address numbers (§212), the standard street suffix
// (App. C1), secondary unit designator (App. C2, §213) and directional (§233) abbreviations,
// and the state as its two-letter code (App. B). The tables are data files
// (street-suffixes.txt, unit-designators.txt, directionals.txt, state-codes.txt).
class Pub28Style {
public:
    // The shipped tables, read once; throws engine::EngineError naming a missing or damaged file.
    static const Pub28Style &standard();

    // A line without abbreviations to make (the name, the city): upper case, no punctuation.
    QString plain(const QString &text) const;
    // A delivery address line (street1 or street2).
    QString deliveryLine(const QString &text) const;
    // The state's two-letter code: a state name (any case, punctuation dropped) becomes its
    // code, anything else is only made plain.
    QString state(const QString &text) const;
    // Whether code is one of App. B's 62.
    bool isStateCode(const QString &code) const { return m_stateNames.contains(code); }

private:
    QStringList words(const QString &text) const;
    // isSuffix: whether each word is a street suffix, looked up once for both.
    void abbreviateSuffixAndDirectionals(QStringList &w, const std::vector<bool> &isSuffix, qsizetype unitAt) const;
    qsizetype abbreviateUnit(QStringList &w, std::vector<bool> &isSuffix) const;

    QHash<QString, QString> m_suffixes;   // every spelling -> standard abbreviation
    QHash<QString, QString> m_units;      // name or abbreviation -> abbreviation
    QHash<QString, bool> m_unitNeedsNumber; // by abbreviation
    QHash<QString, QString> m_directionals; // word or abbreviation -> abbreviation
    QHash<QString, QString> m_stateCodes; // name -> code
    QHash<QString, QString> m_stateNames; // code -> name
};

} // namespace postal
