#pragma once

#include <QString>

namespace platform {
class WindowsApi;
}

namespace envelope {

// The return address of the office whose program prints the envelope: chosen by
// the name of the host's executable and read from that program's settings file
// in the client tables folder.
struct ReturnAddress {
    QString name;  // the bold first line; empty when the office prints none
    QString lines; // the rest, CR LF between lines

    // Says "Case Else; no return address." when the host is none of the four
    // programs; an office whose settings do not enable it has an empty address.
    static ReturnAddress ofHost(platform::WindowsApi &api);

private:
    static ReturnAddress LoadReturnAddress(platform::WindowsApi &api, const QString &settingsBaseName, const QString &enablingKey,
                                           const QString &officeTitle, bool nameLineWanted);
};

} // namespace envelope
