#pragma once

#include "reporting_engine/EngineExport.h"

#include <stdexcept>
#include <string>

#include <QString>

namespace engine {

// Every failure of the reporting engine: an unknown control or field, a value the
// engine refuses, a job the print system rejects, output that cannot be written.
// Nothing in the engine retries or swallows one.
class ENGINE_EXPORT EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

} // namespace engine
