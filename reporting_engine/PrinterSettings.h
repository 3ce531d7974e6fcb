#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/SettingObserver.h"

namespace engine {

// The paper size and paper source the job asks the printer for, as Windows codes.
class ENGINE_EXPORT PrinterSettings {
public:
    PrinterSettings() = default;
    explicit PrinterSettings(SharedSettingObserver observer) : m_observer(std::move(observer)) {}

    int paperSize() const { return m_paperSize; }
    int paperSource() const { return m_paperSource; }

    // Refuse codes the engine cannot map to real output, naming them.
    void setPaperSize(int windowsCode);
    void setPaperSource(int windowsCode);

private:
    int m_paperSize = 1;   // Letter
    int m_paperSource = 7; // automatic selection
    SharedSettingObserver m_observer;
};

} // namespace engine
