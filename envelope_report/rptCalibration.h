#pragma once

#include "envelope_report/EnvelopeExport.h"
#include "reporting_engine/report/Report.h"

namespace envelope {

// The calibration envelope: the envelope's own page with rulers along its four
// edges, reading from the paper's top-left corner, and a cross at each corner of
// each box of the envelope's layout, labelled with where it belongs. Printed on a
// printer, it shows how far that printer puts the page off and which way round.
// One page; needs a QGuiApplication (fonts) only when printed.
class ENVELOPE_EXPORT rptCalibration : public engine::Report {
public:
    rptCalibration();
    ~rptCalibration() override;

protected:
    void reportStart() override;
    void fetchData(bool &eof) override;

private:
    void setEnvelopePage();
    void loadDesign();
};

} // namespace envelope
