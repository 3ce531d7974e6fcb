#pragma once

#include "reporting_engine/EngineExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace engine {

// The words a printer's driver gives its choices, from the file its
// printer-strings-uri names, one line each:
//   "media-source.ef-1" = "Envelope Feeder";
// libcups's own lookup (cupsLocalizeDestValue) misses them for local queues,
// so they are read here.
class ENGINE_EXPORT PrinterStrings {
public:
    // More than a printer has any reason to send: a file this big is refused.
    static constexpr qsizetype maxBytes = 1024 * 1024;

    PrinterStrings() = default;

    // Throws EngineError saying what is wrong and on which line, for a file
    // that is damaged or bigger than maxBytes.
    static PrinterStrings parse(QByteArrayView text);
    // Fetches the file over HTTP (libcups) and parses it, giving up after
    // timeoutMs in all. Throws EngineError naming the URI when it cannot be
    // had in time, or is damaged or too big.
    static PrinterStrings fetch(const QByteArray &uri, int timeoutMs);

    // The text for "ATTRIBUTE.KEYWORD" ("media-source", "ef-1"); empty when the file has none.
    QString text(QByteArrayView attribute, QByteArrayView keyword) const;
    qsizetype size() const { return m_texts.size(); }

private:
    QHash<QByteArray, QString> m_texts;
};

} // namespace engine
