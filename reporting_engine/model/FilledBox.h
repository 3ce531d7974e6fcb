#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/model/Control.h"

namespace engine {

// A black filled rectangle: a rule, a tick or a mark, printed exactly where it is
// placed, whatever the record.
class ENGINE_EXPORT FilledBox final : public Control {
public:
    FilledBox(QString name, const QRectF &geometryTwips) : Control(std::move(name), geometryTwips) {}

    Kind kind() const override { return Kind::Box; }
};

} // namespace engine
