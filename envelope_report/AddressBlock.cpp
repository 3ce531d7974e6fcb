#include "envelope_report/AddressBlock.h"

#include "reporting_engine/render/PageRenderer.h"

namespace envelope {

QString AddressBlock::compose(const QString &name, const QString &street1, const QString &street2, const QString &city,
                              const QString &state, const QString &zipText)
{
    const QString crlf = QStringLiteral("\r\n");
    QString block = name + crlf + street1 + crlf;
    if (!street2.isEmpty())
        block += street2 + crlf;
    return block + city + QStringLiteral(", ") + state + QLatin1Char(' ') + zipText;
}

QString AddressBlock::compose(const AddresseeRecord &r, const QString &zipText)
{
    return compose(r.name, r.street1, r.street2, r.city, r.state, zipText);
}

int AddressBlock::lineCount(const QString &block) { return int(engine::PageRenderer::splitLines(block).size()); }

} // namespace envelope
