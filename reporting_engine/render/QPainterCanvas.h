#pragma once

#include "reporting_engine/render/PageCanvas.h"

class QPainter;

namespace engine {

// The canvas over a QPainter whose unit is the twip (pictures, preview, Qt printing).
class QPainterCanvas final : public PageCanvas {
public:
    explicit QPainterCanvas(QPainter &painter) : m_painter(painter) {}

    void save() override;
    void restore() override;
    void clipRect(const QRectF &rect) override;
    void fillRect(const QRectF &rect) override;
    void drawText(const QPointF &baseline, const QString &text, const FontFace &face) override;

private:
    QPainter &m_painter;
};

} // namespace engine
