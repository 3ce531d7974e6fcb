#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/base/PagePlacement.h"
#include "reporting_engine/model/Barcode.h"
#include "reporting_engine/model/Fields.h"
#include "reporting_engine/model/PageSettings.h"
#include "reporting_engine/model/PrinterSettings.h"
#include "reporting_engine/model/Section.h"
#include "reporting_engine/model/TextBox.h"
#include "reporting_engine/model/TextStyle.h"

#include <QHash>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace engine {

// What one page of a report is made of: its page and printer settings, its
// sections with their controls, and its fields. The report owns one and runs its
// events on it; the renderer and the page sinks read it and know nothing of the run.
class ENGINE_EXPORT ReportDesign {
public:
    // The title names the report in messages; every page and printer setting is
    // told to the notice before it takes effect.
    ReportDesign(QString title, PageSettings::Hook settingNotice);
    ~ReportDesign();
    ReportDesign(const ReportDesign &) = delete;
    ReportDesign &operator=(const ReportDesign &) = delete;

    const QString &title() const { return m_title; }

    PageSettings &pageSettings() { return m_page; }
    const PageSettings &pageSettings() const { return m_page; }
    PrinterSettings &printerSettings() { return m_printer; }
    const PrinterSettings &printerSettings() const { return m_printer; }

    double printWidth() const { return m_printWidth; }
    void setPrintWidth(double twips);

    // The base style "Normal": Arial, 10 point, regular.
    const TextStyle &normalStyle() const { return m_normal; }

    Section &addSection(const QString &name, double heightTwips);
    const std::vector<std::unique_ptr<Section>> &sections() const { return m_sections; }

    // Controls by name; an unknown name, or a control of another kind, throws EngineError.
    Control &control(const QString &name) const;
    TextBox &textBox(const QString &name) const;
    Barcode &barcode(const QString &name) const;

    // The smallest size the named text box's text shrinks to when it does not fit (then it
    // is clipped); without one, 60% of its size. Text designed smaller is not enlarged.
    void setMinimumPointSize(const QString &textBoxName, double pointSize);
    // 0 when the box has none.
    double minimumPointSize(const QString &textBoxName) const { return m_minimumPointSizes.value(textBoxName); }

    // The named control must stay inside area (page twips, as laid out) wherever a printer's
    // placement moves it: the area turns with the page but does not move with the offset.
    // areaName says what the area is in the refusal ("the scanner's window").
    void setPlacementArea(const QString &controlName, const QRectF &area, const QString &areaName);
    // Throws EngineError naming the first control the placement would move out of its area.
    void checkPlacementAreas(const PagePlacement &placement) const;

    Fields &fields() { return m_fields; }
    const Fields &fields() const { return m_fields; }

    // The page as it prints now: the paper of the printer settings turned by the orientation.
    QSizeF pageSizeTwips() const;
    // Every control's box on the page, by name, in the order the sections hold them.
    std::vector<std::pair<QString, QRectF>> boxes() const;

private:
    QString m_title;
    PageSettings m_page;
    PrinterSettings m_printer;
    double m_printWidth = 0;
    TextStyle m_normal{QStringLiteral("Arial"), 10.0, false, false, Qt::AlignLeft | Qt::AlignTop};
    std::vector<std::unique_ptr<Section>> m_sections;
    Fields m_fields;
    QHash<QString, double> m_minimumPointSizes;
    struct PlacementArea {
        QString control;
        QRectF area;
        QString name;
    };
    std::vector<PlacementArea> m_placementAreas;
};

} // namespace engine
