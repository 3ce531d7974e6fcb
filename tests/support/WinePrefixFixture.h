#pragma once

#include <QByteArray>
#include <QStringList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace platform {
class MessagePresenter;
class WindowsApi;
}

namespace testsupport {

// A throw-away Wine prefix laid out the way Wine lays one out: system.reg with the
// Program Files folder, drive C: and Z: under dosdevices, and the client tables
// folder of the office programs ready for settings files.
class WinePrefixFixture {
public:
    explicit WinePrefixFixture(const QString &programFilesDir = QStringLiteral("C:\\\\Program Files"));

    QString path() const { return m_dir.path(); }
    // The Linux path of the client tables folder (it exists).
    QString clientTablesFolder() const;
    // Writes a settings file there; content is taken as the file's bytes.
    void writeSettings(const QString &fileName, const QByteArray &content) const;
    // Rewrites system.reg with the given text.
    void writeSystemReg(const QByteArray &content) const;

    // An api over this prefix whose executable is the given Linux path.
    std::shared_ptr<platform::WindowsApi> api(std::shared_ptr<platform::MessagePresenter> presenter,
                                              const QString &executablePath = QStringLiteral("/opt/korva/envelope-test")) const;

    // The environment a child process needs to use this prefix.
    void exportTo(QStringList &environment) const;

private:
    QTemporaryDir m_dir;
};

} // namespace testsupport
