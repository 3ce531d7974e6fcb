#pragma once

#include "reporting_engine/PageSink.h"

#include <QString>

#include <memory>

class QIODevice;

namespace engine {

// Writes the pages into one PDF on a device, fonts embedded, each page the size
// the report had when that page was made.
class PdfPageSink final : public PageSink {
public:
    PdfPageSink(QIODevice &device, QString documentTitle);
    ~PdfPageSink() override;

    void addPage(const Report &report) override;
    void finish() override;
    int pageCount() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
