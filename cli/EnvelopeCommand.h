#pragma once

#include <QStringList>

#include <cstdio>
#include <memory>

namespace platform {
class WindowsApi;
}

namespace cli {

// The `envelope` command: prints one envelope through the envelope report as a
// host program would. Takes its argument list so tests can call it directly.
class EnvelopeCommand {
public:
    static constexpr int exitOk = 0;
    static constexpr int exitFatal = 1;
    static constexpr int exitUsage = 2;

    struct Io {
        std::FILE *out;
        std::FILE *err;
    };

    // Without an api, the Wine prefix of the environment, messages on standard error.
    explicit EnvelopeCommand(std::shared_ptr<platform::WindowsApi> api = nullptr, Io io = Io{stdout, stderr});
    ~EnvelopeCommand();

    // arguments[0] is the program name, as in argv.
    int run(const QStringList &arguments);

    // Checks an envelope's arguments as run() does and stops there: exitOk, or
    // exitUsage after the same message and usage line. Opens and prints nothing.
    int checkArguments(const QStringList &arguments) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
