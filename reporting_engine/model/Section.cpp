#include "reporting_engine/model/Section.h"

namespace engine {

Control *Section::find(const QString &controlName) const
{
    for (const auto &c : m_controls)
        if (c->name() == controlName)
            return c.get();
    return nullptr;
}

} // namespace engine
