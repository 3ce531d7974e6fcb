#include "reporting_engine/model/PrinterSettings.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/PaperCatalog.h"

namespace engine {

void PrinterSettings::setPaperSize(int windowsCode)
{
    if (!PaperCatalog::paper(windowsCode))
        throw EngineError(QStringLiteral("Unknown paper size code %1.").arg(windowsCode));
    if (m_hook)
        m_hook("PaperSize", windowsCode);
    m_paperSize = windowsCode;
}

void PrinterSettings::setPaperSource(int windowsCode)
{
    if (!PaperCatalog::source(windowsCode))
        throw EngineError(QStringLiteral("Unknown paper source code %1.").arg(windowsCode));
    if (m_hook)
        m_hook("PaperSource", windowsCode);
    m_paperSource = windowsCode;
}

} // namespace engine
