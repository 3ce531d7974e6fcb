#pragma once

#include "reporting_engine/render/PageSink.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace engine {

// Pictures of the pages: the first page at the given path, later ones numbered
// ("out.png", "out-2.png", ...). Each file appears only once complete.
class PngPageSink final : public PageSink {
public:
    explicit PngPageSink(QString path, int dotsPerInch = 200);
    ~PngPageSink() override;

    void addPage(const ReportDesign &design) override;
    void finish() override {}
    const QStringList &files() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
