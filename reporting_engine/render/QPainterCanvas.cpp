#include "reporting_engine/render/QPainterCanvas.h"

#include "reporting_engine/render/FontFace.h"

#include <QGlyphRun>
#include <QPainter>

namespace engine {

void QPainterCanvas::save() { m_painter.save(); }
void QPainterCanvas::restore() { m_painter.restore(); }
void QPainterCanvas::clipRect(const QRectF &rect) { m_painter.setClipRect(rect, Qt::IntersectClip); }
void QPainterCanvas::fillRect(const QRectF &rect) { m_painter.fillRect(rect, Qt::black); }

void QPainterCanvas::drawText(const QPointF &baseline, const QString &text, const FontFace &face)
{
    const FontFace::Glyphs glyphs = face.glyphs(text);
    m_painter.setPen(Qt::black);
    if (glyphs.shaped) {
        for (const FontFace::Shaped::Run &r : glyphs.shaped->runs) {
            QGlyphRun run;
            run.setRawFont(r.font);
            run.setGlyphIndexes(r.indexes);
            run.setPositions(r.positions);
            m_painter.drawGlyphRun(baseline, run);
        }
        return;
    }
    QVector<QPointF> positions;
    positions.reserve(glyphs.indexes.size());
    double x = 0;
    for (const double advance : glyphs.advances) {
        positions.push_back(QPointF(x, 0));
        x += advance;
    }
    QGlyphRun run;
    run.setRawFont(face.rawFont());
    run.setGlyphIndexes(glyphs.indexes);
    run.setPositions(positions);
    m_painter.drawGlyphRun(baseline, run);
}

} // namespace engine
