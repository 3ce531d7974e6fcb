#include "reporting_engine/model/ReportDesign.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/model/PaperCatalog.h"

#include <algorithm>
#include <cmath>

namespace engine {

ReportDesign::ReportDesign(QString title, PageSettings::Hook settingNotice)
    : m_title(std::move(title)), m_page(settingNotice), m_printer(std::move(settingNotice))
{
}

ReportDesign::~ReportDesign() = default;

void ReportDesign::setPrintWidth(double twips)
{
    if (!std::isfinite(twips) || twips < 0)
        throw EngineError(QStringLiteral("The print width %1 is not a length.").arg(twips));
    m_printWidth = twips;
}

Section &ReportDesign::addSection(const QString &name, double heightTwips)
{
    m_sections.push_back(std::make_unique<Section>(name, heightTwips));
    return *m_sections.back();
}

Control &ReportDesign::control(const QString &name) const
{
    for (const auto &s : m_sections)
        if (Control *c = s->find(name))
            return *c;
    throw EngineError(QStringLiteral("The report \"%1\" has no control named %2.").arg(m_title, name));
}

void ReportDesign::setMinimumPointSize(const QString &textBoxName, double pointSize)
{
    textBox(textBoxName); // an unknown box throws
    if (!(pointSize > 0))
        throw EngineError(QStringLiteral("Text box %1: a smallest size of %2 pt is no size.").arg(textBoxName).arg(pointSize));
    m_minimumPointSizes.insert(textBoxName, pointSize);
}

void ReportDesign::setPlacementArea(const QString &controlName, const QRectF &area, const QString &areaName)
{
    control(controlName); // an unknown control throws
    std::erase_if(m_placementAreas, [&](const PlacementArea &entry) { return entry.control == controlName; });
    m_placementAreas.push_back({controlName, area, areaName});
}

void ReportDesign::checkPlacementAreas(const PagePlacement &placement) const
{
    const QSizeF page = pageSizeTwips();
    const QTransform moved = placement.transform(page);
    const QTransform turned = PagePlacement{0, 0, placement.rotated180}.transform(page);
    const std::vector<std::pair<QString, QRectF>> onPage = boxes();
    for (const PlacementArea &a : m_placementAreas) {
        const auto laidOut = std::find_if(onPage.cbegin(), onPage.cend(), [&a](const auto &box) { return box.first == a.control; });
        const QRectF box = moved.mapRect(laidOut->second);
        // A hair's tolerance: inches typed with three decimals don't land on whole twips.
        if (!turned.mapRect(a.area).adjusted(-0.5, -0.5, 0.5, 0.5).contains(box))
            throw EngineError(QStringLiteral("Moved %1 in right and %2 in down, %3 would leave %4 (%5, %6 to %7, %8 in).")
                                  .arg(twips::toInches(placement.offsetXTwips))
                                  .arg(twips::toInches(placement.offsetYTwips))
                                  .arg(a.control, a.name)
                                  .arg(twips::toInches(a.area.left()), 0, 'f', 3)
                                  .arg(twips::toInches(a.area.top()), 0, 'f', 3)
                                  .arg(twips::toInches(a.area.right()), 0, 'f', 3)
                                  .arg(twips::toInches(a.area.bottom()), 0, 'f', 3));
    }
}

TextBox &ReportDesign::textBox(const QString &name) const
{
    Control &c = control(name);
    if (c.kind() != Control::Kind::TextBox)
        throw EngineError(QStringLiteral("The control %1 is not a text box.").arg(name));
    return static_cast<TextBox &>(c);
}

Barcode &ReportDesign::barcode(const QString &name) const
{
    Control &c = control(name);
    if (c.kind() != Control::Kind::Barcode)
        throw EngineError(QStringLiteral("The control %1 is not a barcode.").arg(name));
    return static_cast<Barcode &>(c);
}

QSizeF ReportDesign::pageSizeTwips() const
{
    const auto paper = PaperCatalog::paper(m_printer.paperSize());
    // Settings are checked when made, so the code is always known here.
    const QSizeF portrait = paper ? QSizeF(paper->widthTwips, paper->heightTwips) : QSizeF(12240, 15840);
    return m_page.orientation() == PaperCatalog::orientationLandscape ? portrait.transposed() : portrait;
}

std::vector<std::pair<QString, QRectF>> ReportDesign::boxes() const
{
    std::vector<std::pair<QString, QRectF>> out;
    QPointF origin(m_page.leftMargin(), m_page.topMargin());
    for (const auto &section : m_sections) {
        for (const auto &control : section->controls())
            out.emplace_back(control->name(), control->geometry().translated(origin));
        origin.ry() += section->height();
    }
    return out;
}

} // namespace engine
