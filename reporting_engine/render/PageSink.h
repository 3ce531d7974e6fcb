#pragma once

namespace engine {

class ReportDesign;

// Receives a report's pages as the run produces them: preview, PDF, pictures.
class PageSink {
public:
    virtual ~PageSink() = default;
    // Called once per record with the report's design in the state that record left it.
    virtual void addPage(const ReportDesign &design) = 0;
    // Called once after the last page; output is complete only after it.
    virtual void finish() = 0;

protected:
    PageSink() = default;
    PageSink(const PageSink &) = default;
    PageSink &operator=(const PageSink &) = default;
};

} // namespace engine
