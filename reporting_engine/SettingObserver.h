#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace engine {

// Sees every page, printer and barcode setting a report makes, in order, before
// it takes effect: a trace for diagnosis, and a way for a caller to refuse one
// (by throwing), as a real printer driver may.
class SettingObserver {
public:
    using Callback = std::function<void(const QString &setting, double value)>;

    void setCallback(Callback callback) { m_callback = std::move(callback); }
    void notify(const char *setting, double value) const
    {
        if (m_callback)
            m_callback(QLatin1String(setting), value);
    }

private:
    Callback m_callback;
};

using SharedSettingObserver = std::shared_ptr<const SettingObserver>;

} // namespace engine
