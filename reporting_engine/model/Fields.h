#pragma once

#include "reporting_engine/EngineExport.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace engine {

// The report's field collection: named values that bound controls print.
class ENGINE_EXPORT Fields {
public:
    struct Field {
        QString name;
        QVariant value;
    };

    // Adding a name that exists already keeps the one field of that name.
    Field &add(const QString &name);
    // Throws EngineError when there is no field of that name.
    Field &item(const QString &name);
    const Field *find(const QString &name) const;
    int count() const { return static_cast<int>(m_fields.size()); }
    void clear() { m_fields.clear(); }

private:
    std::vector<std::unique_ptr<Field>> m_fields; // stable addresses across adds
};

} // namespace engine
