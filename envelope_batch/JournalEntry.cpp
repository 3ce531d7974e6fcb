#include "envelope_batch/JournalEntry.h"

#include <array>
#include <utility>

namespace envelope {
namespace {

const std::array<std::pair<JournalEntry::State, const char *>, 5> names{{{JournalEntry::State::Printed, "printed"},
                                                                          {JournalEntry::State::Failed, "failed"},
                                                                          {JournalEntry::State::Sent, "sent"},
                                                                          {JournalEntry::State::NotSent, "not-sent"},
                                                                          {JournalEntry::State::Made, "made"}}};

} // namespace

QString JournalEntry::stateName(State state)
{
    for (const auto &[s, name] : names)
        if (s == state)
            return QLatin1String(name);
    return QString();
}

std::optional<JournalEntry::State> JournalEntry::stateNamed(const QString &name)
{
    for (const auto &[s, n] : names)
        if (name == QLatin1String(n))
            return s;
    return std::nullopt;
}

} // namespace envelope
