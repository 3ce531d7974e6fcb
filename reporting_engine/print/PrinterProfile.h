#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/base/PagePlacement.h"

#include <QString>

namespace engine {

// What is stored of one printer: how far to move what is printed (inches, right
// and down, negative allowed) to make up for where its feeder puts the envelope,
// whether it takes envelopes the other way round, and a paper source of its own
// to use instead of the one chosen by meaning.
struct ENGINE_EXPORT PrinterProfile {
    double offsetXInches = 0;
    double offsetYInches = 0;
    int rotation = 0;   // 0 or 180
    QString source;     // one of the printer's media-source keywords; empty: chosen by meaning
    QString storedIn;   // the file the profile came from; empty: none stored
    // One of the printer's media-type keywords; empty: chosen by meaning. Last, so that
    // programs built against version 1.0 find the fields before it where they were.
    QString mediaType;

    bool isEmpty() const
    {
        return offsetXInches == 0 && offsetYInches == 0 && rotation == 0 && source.isEmpty() && mediaType.isEmpty();
    }
    PagePlacement placement() const;
    // "offset 0.05 in right, -0.02 in down, turned 180°, source envelope-feeder[, media type envelope]"
    QString describe() const;
};

} // namespace engine
