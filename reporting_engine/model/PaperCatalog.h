#pragma once

#include "reporting_engine/EngineExport.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <optional>

namespace engine {

// What the engine knows of the Windows paper-size, paper-source and orientation
// codes, and what each one means on a real page and in a CUPS job.
class ENGINE_EXPORT PaperCatalog {
public:
    struct Paper {
        int code;
        const char *name;       // for messages
        double widthTwips;      // portrait: the short side
        double heightTwips;
        const char *cupsMedia;  // PWG self-describing media name
        const char *cupsMediaType;  // the IPP media-type it is ("envelope"); nullptr for sheets
    };
    // Which of the printer's own sources serves one is chosen by MediaSourceChooser.
    struct Source {
        int code;
        const char *name;
    };

    // The codes the envelope uses, by name.
    static constexpr int paperNo10Envelope = 20; // DMPAPER_ENV_10
    static constexpr int sourceEnvelopeFeeder = 5; // DMBIN_ENVELOPE

    static constexpr int orientationPortrait = 1;
    static constexpr int orientationLandscape = 2;

    static std::optional<Paper> paper(int code);
    static std::optional<Source> source(int code);
    static bool isKnownOrientation(int code);
};

} // namespace engine
