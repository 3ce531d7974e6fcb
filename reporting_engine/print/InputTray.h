#pragma once

#include "reporting_engine/EngineExport.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace engine {

// One of a printer's paper trays as it describes it (printer-input-tray):
// "type=sheetFeedManual;mediafeed=0;mediaxfeed=0;maxcapacity=50;level=-2;status=0;name=manual;".
// Its name is the media-source keyword of the tray.
struct ENGINE_EXPORT InputTray {
    QByteArray name;
    QByteArray type;      // sheetFeedAutoRemovableTray, sheetFeedManual, ...
    int maxCapacity = -1; // sheets; negative: unknown

    // The printer feeds from it without stopping to ask.
    bool feedsAutomatically() const { return type.startsWith("sheetFeedAuto"); }
    // The printer stops and asks for each sheet (a hand-fed slot).
    bool feedsManually() const { return type == "sheetFeedManual"; }

    // Nothing when the value is damaged: no type or name, a part without "=",
    // a capacity that is not a number, or longer than IPP allows.
    static std::optional<InputTray> parse(QByteArrayView value);
};

} // namespace engine
