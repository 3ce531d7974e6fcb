#pragma once

#include "platform/WindowsApi.h"

#include <QString>

#include <cstdint>

namespace folders {

// The host program name: the running executable's file name without extension.
class modGetParentEXEPath {
public:
    explicit modGetParentEXEPath(platform::WindowsApi &api);

    // The full DOS path of the module that registered the window's class; for a
    // null window, the running executable. Never cut, however long.
    QString GetParentEXEPath(const std::int32_t &windowHandle);

    // The executable's file name without its folder and without the part from its
    // last '.', in the letter case reported; the whole file name when it has no
    // '.'. Throws std::invalid_argument when the path cannot be found.
    QString GetParentEXEName();

private:
    platform::WindowsApi &m_api;
};

} // namespace folders
