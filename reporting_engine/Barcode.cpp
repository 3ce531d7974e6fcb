#include "reporting_engine/Barcode.h"

#include "reporting_engine/EngineError.h"

namespace engine {

Barcode::Barcode(QString name, const QRectF &geometryTwips, QString dataField, TextStyle captionStyle)
    : Control(std::move(name), geometryTwips), m_dataField(std::move(dataField)), m_captionStyle(std::move(captionStyle))
{
}

void Barcode::setStyle(int code)
{
    if (code != styleNone && code != stylePostnet)
        throw EngineError(QStringLiteral("Barcode %1: unknown barcode style %2.").arg(name()).arg(code));
    m_style = code;
}

} // namespace engine
