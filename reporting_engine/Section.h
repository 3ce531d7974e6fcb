#pragma once

#include "reporting_engine/Barcode.h"
#include "reporting_engine/Control.h"
#include "reporting_engine/EngineExport.h"
#include "reporting_engine/SettingObserver.h"

#include <QString>

#include <memory>
#include <type_traits>
#include <vector>

namespace engine {

// A band of the report holding controls in design order; it prints once per record.
class ENGINE_EXPORT Section {
public:
    Section(QString name, double heightTwips, SharedSettingObserver observer = nullptr)
        : m_name(std::move(name)), m_height(heightTwips), m_observer(std::move(observer))
    {
    }

    const QString &name() const { return m_name; }
    double height() const { return m_height; }

    template<typename T, typename... Args>
    T &add(Args &&...args)
    {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T &ref = *control;
        if constexpr (std::is_same_v<T, Barcode>)
            ref.setObserver(m_observer);
        m_controls.push_back(std::move(control));
        return ref;
    }

    const std::vector<std::unique_ptr<Control>> &controls() const { return m_controls; }
    Control *find(const QString &controlName) const;

private:
    QString m_name;
    double m_height;
    std::vector<std::unique_ptr<Control>> m_controls;
    SharedSettingObserver m_observer;
};

} // namespace engine
