#include "reporting_engine/PageSettings.h"

#include "reporting_engine/EngineError.h"
#include "reporting_engine/PaperCatalog.h"

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

void PageSettings::setLeftMargin(double twips) { m_left = checkedMargin(twips, "left"); }
void PageSettings::setRightMargin(double twips) { m_right = checkedMargin(twips, "right"); }
void PageSettings::setTopMargin(double twips) { m_top = checkedMargin(twips, "top"); }
void PageSettings::setBottomMargin(double twips) { m_bottom = checkedMargin(twips, "bottom"); }

void PageSettings::setOrientation(int windowsCode)
{
    if (!PaperCatalog::isKnownOrientation(windowsCode))
        throw EngineError(QStringLiteral("Unknown orientation code %1 (1 is portrait, 2 landscape).").arg(windowsCode));
    m_orientation = windowsCode;
}

} // namespace engine
