#pragma once

#include "platform/PlatformExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// The ANSI code page of the "A" calls. Qt built without ICU has no codec for it,
// so the 32 bytes where it differs from Latin-1 are mapped by hand.
class PLATFORM_EXPORT Windows1252 {
public:
    Windows1252() = delete;

    // Every byte has a character: the five bytes the code page leaves undefined
    // map to the control characters of the same value, as Windows maps them.
    static QString toUnicode(QByteArrayView bytes);

    // A character the code page cannot hold becomes '?', one per code point
    // (a surrogate pair is one character, an unpaired surrogate is one too).
    static QByteArray fromUnicode(QStringView text);
};

} // namespace platform
