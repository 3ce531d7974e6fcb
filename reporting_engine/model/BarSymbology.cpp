#include "reporting_engine/model/BarSymbology.h"

#include <QHash>

#include <mutex>

namespace engine {
namespace {

// Registered once by each caller before its first report; read by every page.
struct Registry {
    std::mutex mutex;
    QHash<int, std::shared_ptr<const BarSymbology>> byStyle;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

BarSymbology::~BarSymbology() = default;

void BarSymbology::registerStyle(int styleCode, std::shared_ptr<const BarSymbology> symbology)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    r.byStyle.insert(styleCode, std::move(symbology));
}

std::shared_ptr<const BarSymbology> BarSymbology::forStyle(int styleCode)
{
    Registry &r = registry();
    const std::lock_guard lock(r.mutex);
    return r.byStyle.value(styleCode);
}

} // namespace engine
