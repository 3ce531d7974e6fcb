#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace postal {

// One of the USPS tables shipped as a data file (share/korva-envelope/): a row a
// line, fields split by TABs (or blanks in a line without one), '#' lines naming the source. A missing or damaged
// table throws engine::EngineError naming the file: a rule without its table is
// never skipped quietly.
class PostalTable {
public:
    // Reads name from dataFolder(); every row must have between minFields and maxFields fields.
    static PostalTable load(const QString &name, int minFields, int maxFields);

    // Where the tables are: $KORVA_ENVELOPE_DATA_DIR when set; else share/korva-envelope
    // beside the program or library holding this code (any install prefix, the Debian
    // package's included); else the source tree's, for a build tree.
    static QString dataFolder();

    const QString &path() const { return m_path; }
    const std::vector<QStringList> &rows() const { return m_rows; }
    // The first field of each row to the second; a repeated first field is damage.
    QHash<QString, QString> pairs() const;

private:
    QString m_path;
    std::vector<QStringList> m_rows;
};

} // namespace postal
