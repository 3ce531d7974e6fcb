#pragma once

#include "reporting_engine/EngineExport.h"

#include <functional>

namespace engine {

// The paper size and paper source the job asks the printer for, as Windows codes.
class ENGINE_EXPORT PrinterSettings {
public:
    // Told of every accepted setting before it takes effect (the report's setting hook).
    using Hook = std::function<void(const char *setting, double value)>;

    PrinterSettings() = default;
    explicit PrinterSettings(Hook hook) : m_hook(std::move(hook)) {}

    int paperSize() const { return m_paperSize; }
    int paperSource() const { return m_paperSource; }

    // Refuse codes the engine cannot map to real output, naming them.
    void setPaperSize(int windowsCode);
    void setPaperSource(int windowsCode);

private:
    int m_paperSize = 1;   // Letter
    int m_paperSource = 7; // automatic selection
    Hook m_hook;
};

} // namespace engine
