#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/print/PrinterProfile.h"
#include "reporting_engine/settings/LayeredSettings.h"

#include <QString>

namespace engine {

// The printer profiles, one section per queue in printers.conf: the system's
// file and the user's, the user's entry for a queue winning whole.
//
//   [HP4250]
//   offset-x = 0.05     ; inches to the right (negative: to the left)
//   offset-y = -0.02    ; inches down (negative: up)
//   rotate = 180        ; 0 or 180
//   source = envelope-feeder
//   media-type = envelope
class ENGINE_EXPORT PrinterProfiles {
public:
    // /etc/FOLDER/printers.conf and $XDG_CONFIG_HOME/FOLDER/printers.conf (default ~/.config).
    using Files = LayeredSettings::Files;
    // The files in the settings folder the caller names (its program's own).
    static Files standardFiles(const QString &folder);

    explicit PrinterProfiles(Files files);

    const Files &files() const { return m_files; }

    // The queue's profile, read from the files now; an empty one when none is stored.
    // A damaged file or value throws EngineError naming the file and line.
    PrinterProfile profile(const QString &queue) const;
    // Stores the profile as the user's entry for the queue (an empty one removes it).
    void save(const QString &queue, const PrinterProfile &profile) const;

private:
    Files m_files;
};

} // namespace engine
