#include "reporting_engine/model/PageSettings.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/PaperCatalog.h"

#include <cmath>

namespace engine {
namespace {

double checkedMargin(double twips, const char *which)
{
    // Twenty-two inches is larger than any page the engine knows.
    if (!std::isfinite(twips) || twips < 0 || twips > 22 * 1440)
        throw EngineError(QStringLiteral("The %1 margin %2 is not a length the engine can print with.")
                              .arg(QLatin1String(which))
                              .arg(twips));
    return twips;
}

} // namespace

void PageSettings::setLeftMargin(double twips) { m_left = checked(twips, "LeftMargin", "left"); }
void PageSettings::setRightMargin(double twips) { m_right = checked(twips, "RightMargin", "right"); }
void PageSettings::setTopMargin(double twips) { m_top = checked(twips, "TopMargin", "top"); }
void PageSettings::setBottomMargin(double twips) { m_bottom = checked(twips, "BottomMargin", "bottom"); }

double PageSettings::checked(double twips, const char *setting, const char *which) const
{
    const double value = checkedMargin(twips, which);
    if (m_hook)
        m_hook(setting, value);
    return value;
}

void PageSettings::setOrientation(int windowsCode)
{
    if (!PaperCatalog::isKnownOrientation(windowsCode))
        throw EngineError(QStringLiteral("Unknown orientation code %1 (1 is portrait, 2 landscape).").arg(windowsCode));
    if (m_hook)
        m_hook("Orientation", windowsCode);
    m_orientation = windowsCode;
}

} // namespace engine
