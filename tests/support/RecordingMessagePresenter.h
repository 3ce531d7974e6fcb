#pragma once

#include "platform/MessagePresenter.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace testsupport {

// Keeps every message instead of showing it, so tests can compare the sequence.
class RecordingMessagePresenter final : public platform::MessagePresenter {
public:
    struct Message {
        QString caption;
        QString text;
        bool operator==(const Message &) const = default;
    };

    using MessagePresenter::show;
    void show(const QString &text, const QString &caption) override { messages.push_back({caption, text}); }

    QStringList texts() const
    {
        QStringList out;
        for (const auto &m : messages)
            out << m.text;
        return out;
    }

    std::vector<Message> messages;
};

} // namespace testsupport
