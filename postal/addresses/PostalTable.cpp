#include "postal/addresses/PostalTable.h"

#include "reporting_engine/base/EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <dlfcn.h>

namespace postal {
namespace {

engine::EngineError damaged(const QString &path, qsizetype line, const QString &why)
{
    return engine::EngineError(QStringLiteral("The postal table %1 is damaged: line %2 %3.")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(line)
                                   .arg(why));
}

// The program or shared library this code was linked into.
QString ownBinaryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&ownBinaryFolder), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
}

} // namespace

QString PostalTable::dataFolder()
{
    const QString overridden = qEnvironmentVariable("KORVA_ENVELOPE_DATA_DIR");
    if (!overridden.isEmpty())
        return overridden;
    QStringList candidates;
    if (const QString own = ownBinaryFolder(); !own.isEmpty()) {
        // A program lies in bin/, the library in the (multiarch) library folder.
        candidates << QDir::cleanPath(own + QStringLiteral("/" POSTAL_BIN_TO_DATA))
                   << QDir::cleanPath(own + QStringLiteral("/" POSTAL_LIB_TO_DATA));
    }
    candidates << QStringLiteral(POSTAL_SOURCE_DATA);
    for (const QString &folder : std::as_const(candidates))
        if (QFileInfo::exists(folder + QStringLiteral("/zip3-state.txt")))
            return folder;
    return candidates.first(); // the error then names where an installed table belongs
}

PostalTable PostalTable::load(const QString &name, int minFields, int maxFields)
{
    PostalTable table;
    table.m_path = dataFolder() + QLatin1Char('/') + name;
    QFile file(table.m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw engine::EngineError(QStringLiteral("The postal table %1 cannot be read: %2.")
                                      .arg(QDir::toNativeSeparators(table.m_path), file.errorString()));
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    qsizetype lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        // Names with blanks in them (AMERICAN SAMOA) are split from their code by a TAB.
        const QStringList fields = line.contains(QLatin1Char('\t')) ? line.split(QLatin1Char('\t')) : line.split(blanks);
        if (fields.size() < minFields || fields.size() > maxFields)
            throw damaged(table.m_path, lineNumber, QStringLiteral("has %1 fields, not %2 to %3").arg(fields.size()).arg(minFields).arg(maxFields));
        table.m_rows.push_back(fields);
    }
    if (file.error() != QFileDevice::NoError)
        throw engine::EngineError(QStringLiteral("The postal table %1 cannot be read: %2.")
                                      .arg(QDir::toNativeSeparators(table.m_path), file.errorString()));
    if (table.m_rows.empty())
        throw damaged(table.m_path, lineNumber, QStringLiteral("ends with no rows at all"));
    return table;
}

QHash<QString, QString> PostalTable::pairs() const
{
    QHash<QString, QString> out;
    for (const QStringList &row : m_rows) {
        if (out.contains(row.at(0)))
            throw engine::EngineError(QStringLiteral("The postal table %1 is damaged: \"%2\" is listed twice.")
                                          .arg(QDir::toNativeSeparators(m_path), row.at(0)));
        out.insert(row.at(0), row.value(1));
    }
    return out;
}

} // namespace postal
