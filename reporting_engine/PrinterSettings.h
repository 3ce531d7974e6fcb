#pragma once

namespace engine {

// The paper size and paper source the job asks the printer for, as Windows codes.
class PrinterSettings {
public:
    int paperSize() const { return m_paperSize; }
    int paperSource() const { return m_paperSource; }

    // Refuse codes the engine cannot map to real output, naming them.
    void setPaperSize(int windowsCode);
    void setPaperSource(int windowsCode);

private:
    int m_paperSize = 1;   // Letter
    int m_paperSource = 7; // automatic selection
};

} // namespace engine
