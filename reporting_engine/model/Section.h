#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/model/Control.h"

#include <QString>

#include <memory>
#include <vector>

namespace engine {

// A band of the report holding controls in design order; it prints once per record.
class ENGINE_EXPORT Section {
public:
    Section(QString name, double heightTwips) : m_name(std::move(name)), m_height(heightTwips) {}

    const QString &name() const { return m_name; }
    double height() const { return m_height; }

    template<typename T, typename... Args>
    T &add(Args &&...args)
    {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T &ref = *control;
        m_controls.push_back(std::move(control));
        return ref;
    }

    const std::vector<std::unique_ptr<Control>> &controls() const { return m_controls; }
    Control *find(const QString &controlName) const;

private:
    QString m_name;
    double m_height;
    std::vector<std::unique_ptr<Control>> m_controls;
};

} // namespace engine
