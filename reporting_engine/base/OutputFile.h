#pragma once

#include "reporting_engine/EngineExport.h"

#include <QString>

#include <memory>

class QIODevice;

namespace engine {

// A file that appears under its final name only when complete: it is written to a
// temporary file in the destination folder and moved into place by commit().
// Until then, and when commit() is never reached, nothing exists under the final
// name and the temporary file is removed.
class ENGINE_EXPORT OutputFile {
public:
    enum class Policy {
        Replace,     // the user named this file: an existing one is replaced (a symbolic link itself, never its target)
        NeverReplace // pick "name.ext", "name-2.ext", ... whichever does not exist yet
    };

    // Throws EngineError naming the path when the folder is missing or not writable.
    OutputFile(const QString &finalPath, Policy policy);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    QIODevice &device();
    // Flushes to disk and moves the file into place; returns the path it now has.
    QString commit();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
