#pragma once

#include "reporting_engine/EngineExport.h"

#include <functional>

namespace engine {

// Margins (twips) and orientation of the report's page. A new report carries
// a portrait page with one-inch margins until its handlers say otherwise.
class ENGINE_EXPORT PageSettings {
public:
    // Told of every accepted setting before it takes effect (the report's setting hook).
    using Hook = std::function<void(const char *setting, double value)>;

    PageSettings() = default;
    explicit PageSettings(Hook hook) : m_hook(std::move(hook)) {}

    double leftMargin() const { return m_left; }
    double rightMargin() const { return m_right; }
    double topMargin() const { return m_top; }
    double bottomMargin() const { return m_bottom; }
    int orientation() const { return m_orientation; }

    // Each setter refuses a value the engine cannot print with an EngineError.
    void setLeftMargin(double twips);
    void setRightMargin(double twips);
    void setTopMargin(double twips);
    void setBottomMargin(double twips);
    void setOrientation(int windowsCode);

private:
    double checked(double twips, const char *setting, const char *which) const;

    double m_left = 1440;
    double m_right = 1440;
    double m_top = 1440;
    double m_bottom = 1440;
    int m_orientation = 1;
    Hook m_hook;
};

} // namespace engine
