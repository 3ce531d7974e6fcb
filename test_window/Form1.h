#pragma once

#include "reporting_engine/print/PrintDestination.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace platform {
class WindowsApi;
}

namespace testwindow {

// The test program's only window: one blank button that prints the sample envelope.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    struct Options {
        std::shared_ptr<platform::WindowsApi> api;
        engine::PrintDestination destination = engine::PrintDestination::defaultPrinter();
        // An error that leaves the click handler ends the program; the default shows
        // its text and quits the event loop with status 1.
        std::function<void(const QString &message)> onFatal;
    };

    explicit Form1(Options options, QWidget *parent = nullptr);
    ~Form1() override;

    QPushButton *cmdVeltrane() const { return m_cmdVeltrane; }

private slots:
    void cmdVeltrane_Click();

private:
    Options m_options;
    QPushButton *m_cmdVeltrane; // owned by this window as its child
};

} // namespace testwindow
