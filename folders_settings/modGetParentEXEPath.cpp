#include "folders_settings/modGetParentEXEPath.h"

#include "platform/Windows1252.h"

#include <QByteArray>

#include <stdexcept>

namespace folders {

namespace {

constexpr platform::DWORD firstBuffer = 260;
// Far beyond any path Linux or Windows can name.
constexpr platform::DWORD largestBuffer = 1u << 17;

} // namespace

modGetParentEXEPath::modGetParentEXEPath(platform::WindowsApi &api) : m_api(api) {}

QString modGetParentEXEPath::GetParentEXEPath(const std::int32_t &windowHandle)
{
    const auto window = platform::HWND(std::uint32_t(windowHandle));
    const platform::HMODULE module = m_api.GetClassLongA(window, platform::GCL_HMODULE);
    QByteArray buffer(firstBuffer, ' ');
    platform::DWORD n = 0;
    for (;;) {
        n = m_api.GetModuleFileNameA(module, buffer.data(), platform::DWORD(buffer.size()));
        // A result that fills the whole buffer is a cut path: ask again with more room.
        if (n < platform::DWORD(buffer.size()) || platform::DWORD(buffer.size()) >= largestBuffer)
            break;
        buffer = QByteArray(buffer.size() * 2, ' ');
    }
    n = qMin(n, platform::DWORD(buffer.size()));
    return platform::Windows1252::toUnicode(QByteArrayView(buffer).first(qsizetype(n)));
}

QString modGetParentEXEPath::GetParentEXEName()
{
    const std::int32_t noWindow = 0;
    const QString path = GetParentEXEPath(noWindow);
    if (path.isEmpty())
        throw std::invalid_argument("cannot name the host program: the path of the running executable is unknown");
    const qsizetype start = path.lastIndexOf(QLatin1Char('\\')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    // A Linux executable usually has no extension: then the whole file name counts.
    const qsizetype end = dot >= start ? dot : path.size();
    return path.mid(start, end - start);
}

} // namespace folders
