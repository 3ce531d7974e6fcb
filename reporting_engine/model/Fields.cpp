#include "reporting_engine/model/Fields.h"

#include "reporting_engine/base/EngineError.h"

namespace engine {

Fields::Field &Fields::add(const QString &name)
{
    for (auto &f : m_fields)
        if (f->name.compare(name, Qt::CaseInsensitive) == 0)
            return *f;
    m_fields.push_back(std::make_unique<Field>(Field{name, QVariant()}));
    return *m_fields.back();
}

Fields::Field &Fields::item(const QString &name)
{
    for (auto &f : m_fields)
        if (f->name.compare(name, Qt::CaseInsensitive) == 0)
            return *f;
    throw EngineError(QStringLiteral("The report has no field named \"%1\".").arg(name));
}

const Fields::Field *Fields::find(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->name.compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

} // namespace engine
