#pragma once

#include <QString>

class QIODevice;

namespace engine {

// Why a write to a device failed, in words for the user. Qt leaves its error
// text at "Unknown error" when a write is cut short part-way, which is how a
// full disk shows; for a file this asks the file system itself.
class WriteFailure {
public:
    static QString reason(const QIODevice &device);
};

} // namespace engine
