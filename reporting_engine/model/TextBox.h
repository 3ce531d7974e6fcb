#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/model/Control.h"
#include "reporting_engine/model/TextStyle.h"

namespace engine {

// A text box. Its text may hold several CR LF separated lines, each printed on a
// line of its own. Text that does not fit is printed in a smaller size until it
// does (down to a floor), then clipped: it never spills onto another control.
class ENGINE_EXPORT TextBox final : public Control {
public:
    TextBox(QString name, const QRectF &geometryTwips, TextStyle style)
        : Control(std::move(name), geometryTwips), m_style(std::move(style)), m_text(this->name())
    {
    }

    Kind kind() const override { return Kind::TextBox; }

    // A read returns exactly the text last written.
    const QString &text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }

    const TextStyle &style() const { return m_style; }
    void setStyle(const TextStyle &style) { m_style = style; }

private:
    TextStyle m_style;
    QString m_text; // a new text box shows its own name, as a designed one does
};

} // namespace engine
