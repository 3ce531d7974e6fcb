#pragma once

#include "reporting_engine/Control.h"
#include "reporting_engine/EngineExport.h"
#include "reporting_engine/TextStyle.h"

namespace engine {

// A barcode printing the value of a report field. Its symbology is the engine's
// style code; only codes the engine can really encode are accepted.
class ENGINE_EXPORT Barcode final : public Control {
public:
    static constexpr int styleNone = 0;
    static constexpr int stylePostnet = 15;

    // The postal code a barcode of stylePostnet prints. An Intelligent Mail barcode takes its field's
    // text as the tracking code, a hyphen and the routing code (IntelligentMailEncoder); a null or
    // empty value prints no bars. Its box must hold the whole symbol (symbolWidth x fullBarHeight
    // there), or printing fails rather than clip bars.
    enum class Symbology { Postnet, IntelligentMail };

    Barcode(QString name, const QRectF &geometryTwips, QString dataField, TextStyle captionStyle);

    Kind kind() const override { return Kind::Barcode; }

    int style() const { return m_style; }
    void setStyle(int code); // throws EngineError for a code the engine doesn't know
    Symbology symbology() const { return m_symbology; }
    void setSymbology(Symbology symbology) { m_symbology = symbology; }

    const QString &dataField() const { return m_dataField; }
    const TextStyle &captionStyle() const { return m_captionStyle; }
    bool showCaption() const { return m_showCaption; }
    void setShowCaption(bool show) { m_showCaption = show; }

private:
    QString m_dataField;
    TextStyle m_captionStyle;
    int m_style = styleNone;
    Symbology m_symbology = Symbology::Postnet;
    bool m_showCaption = true;
};

} // namespace engine
