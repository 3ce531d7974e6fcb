#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace envelope {

// Which column of a batch's input holds each part of the address:
// "name=COL,street1=COL,street2=COL,city=COL,state=COL,zip=COL,imb=COL", each part by
// default in the column of its own name. imb, an Intelligent Mail tracking code from
// mailing software, may be absent like the second street line.
class ColumnMapping {
public:
    enum class Part { Name, Street1, Street2, City, State, Zip, Imb };
    static constexpr int partCount = 7;
    // Column positions by part; -1 for an optional part the input does not have.
    using Positions = std::array<int, partCount>;

    ColumnMapping();

    // Parts not named keep their default column. Throws EngineError for an unknown
    // part, a part named twice, or a missing column name.
    static ColumnMapping parse(const QString &spec);

    const QString &column(Part part) const { return m_columns[static_cast<int>(part)]; }
    static QString partName(Part part);

    // Finds each part's column among the input's column names, by exact name or
    // else by the one name equal but for case. Throws EngineError naming the first
    // column that is not there (the optional parts may be absent when not named).
    Positions resolve(const QStringList &columnNames) const;

private:
    std::array<QString, partCount> m_columns;
    std::array<bool, partCount> m_explicit{};
};

} // namespace envelope
