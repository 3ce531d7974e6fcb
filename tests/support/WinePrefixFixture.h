#pragma once

#include "support/TestWinePrefix.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// A Wine prefix set up as an office machine: system.reg with the Program Files
// folder, and the client tables folder of the office programs ready for their
// settings files.
class WinePrefixFixture : public TestWinePrefix {
public:
    explicit WinePrefixFixture(const QByteArray &programFilesDir = "C:\\\\Program Files");

    // The Linux path of the client tables folder (it exists).
    QString clientTablesFolder() const;
    // Writes a settings file there; content is taken as the file's bytes.
    void writeSettings(const QString &fileName, const QByteArray &content) const;
    // An api over this prefix whose executable is no host program of the family.
    std::unique_ptr<platform::WindowsApi> api(std::shared_ptr<platform::MessagePresenter> presenter,
                                              const QString &executable = QStringLiteral("/opt/korva/envelope-test")) const
    {
        return TestWinePrefix::api(std::move(presenter), executable);
    }

    // The environment a child process needs to use this prefix.
    void exportTo(QStringList &environment) const;
};

} // namespace testsupport
