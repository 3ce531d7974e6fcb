#include "reporting_engine/model/PaperCatalog.h"

#include <array>

namespace engine {
namespace {

// Sizes in twips, portrait. Codes as the Windows DEVMODE defines them.
constexpr std::array papers{
    PaperCatalog::Paper{1, "Letter", 12240, 15840, "na_letter_8.5x11in", nullptr},
    PaperCatalog::Paper{5, "Legal", 12240, 20160, "na_legal_8.5x14in", nullptr},
    PaperCatalog::Paper{9, "A4", 11906, 16838, "iso_a4_210x297mm", nullptr},
    PaperCatalog::Paper{19, "No. 9 envelope", 5580, 12780, "na_number-9_3.875x8.875in", "envelope"},
    PaperCatalog::Paper{20, "No. 10 envelope", 5940, 13680, "na_number-10_4.125x9.5in", "envelope"},
    PaperCatalog::Paper{27, "DL envelope", 6236, 12472, "iso_dl_110x220mm", "envelope"},
    PaperCatalog::Paper{28, "C5 envelope", 9185, 12983, "iso_c5_162x229mm", "envelope"},
    PaperCatalog::Paper{37, "Monarch envelope", 5580, 10800, "na_monarch_3.875x7.5in", "envelope"},
};

constexpr std::array sources{
    PaperCatalog::Source{1, "upper tray"},
    PaperCatalog::Source{2, "lower tray"},
    PaperCatalog::Source{3, "middle tray"},
    PaperCatalog::Source{4, "manual feed"},
    PaperCatalog::Source{5, "envelope feeder"},
    PaperCatalog::Source{6, "manual envelope feed"},
    PaperCatalog::Source{7, "automatic selection"},
    PaperCatalog::Source{11, "large-capacity tray"},
    PaperCatalog::Source{15, "form source"},
};

} // namespace

std::optional<PaperCatalog::Paper> PaperCatalog::paper(int code)
{
    for (const auto &p : papers)
        if (p.code == code)
            return p;
    return std::nullopt;
}

std::optional<PaperCatalog::Source> PaperCatalog::source(int code)
{
    for (const auto &s : sources)
        if (s.code == code)
            return s;
    return std::nullopt;
}

bool PaperCatalog::isKnownOrientation(int code)
{
    return code == orientationPortrait || code == orientationLandscape;
}

} // namespace engine
