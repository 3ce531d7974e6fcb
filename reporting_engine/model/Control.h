#pragma once

#include "reporting_engine/EngineExport.h"

#include <QRectF>
#include <QString>

namespace engine {

// A control of a section, placed in twips from the section's top-left corner.
class ENGINE_EXPORT Control {
public:
    enum class Kind { TextBox, Barcode, Box };

    virtual ~Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    virtual Kind kind() const = 0;
    const QString &name() const { return m_name; }
    const QRectF &geometry() const { return m_geometry; }
    // A design may move or resize a control before a run (a barcode box sized for its symbology).
    void setGeometry(const QRectF &geometryTwips) { m_geometry = geometryTwips; }

protected:
    Control(QString name, const QRectF &geometryTwips) : m_name(std::move(name)), m_geometry(geometryTwips) {}

private:
    QString m_name;
    QRectF m_geometry;
};

} // namespace engine
