#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/model/Control.h"
#include "reporting_engine/model/TextStyle.h"

namespace engine {

// A barcode printing the value of a report field in the symbology its style code
// selects (BarSymbology): the control draws the bars it is given. A symbology that
// must not be clipped needs a box that holds its whole symbol, or printing fails.
class ENGINE_EXPORT Barcode final : public Control {
public:
    static constexpr int styleNone = 0;

    Barcode(QString name, const QRectF &geometryTwips, QString dataField, TextStyle captionStyle);

    Kind kind() const override { return Kind::Barcode; }

    int style() const { return m_style; }
    // Throws EngineError for a code no symbology is registered under.
    void setStyle(int code);

    const QString &dataField() const { return m_dataField; }
    const TextStyle &captionStyle() const { return m_captionStyle; }
    bool showCaption() const { return m_showCaption; }
    void setShowCaption(bool show) { m_showCaption = show; }

private:
    QString m_dataField;
    TextStyle m_captionStyle;
    int m_style = styleNone;
    int m_reserved = 0; // keeps the layout that programs built against version 1.0 read
    bool m_showCaption = true;
};

} // namespace engine
