#include "reporting_engine/model/Barcode.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/BarSymbology.h"

namespace engine {

Barcode::Barcode(QString name, const QRectF &geometryTwips, QString dataField, TextStyle captionStyle)
    : Control(std::move(name), geometryTwips), m_dataField(std::move(dataField)), m_captionStyle(std::move(captionStyle))
{
    (void)m_reserved;
}

void Barcode::setStyle(int code)
{
    if (code != styleNone && !BarSymbology::forStyle(code))
        throw EngineError(QStringLiteral("Barcode %1: unknown barcode style %2.").arg(name()).arg(code));
    m_style = code;
}

} // namespace engine
