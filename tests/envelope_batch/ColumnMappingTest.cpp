// --columns: parsing the mapping and finding its columns in an input's header.
#include "envelope_batch/ColumnMapping.h"
#include "reporting_engine/base/EngineError.h"

#include <gtest/gtest.h>

#include <ostream>

using envelope::ColumnMapping;
using Positions = ColumnMapping::Positions;

namespace {

const QStringList defaultHeader{QStringLiteral("zip"),   QStringLiteral("name"),  QStringLiteral("street1"),
                                QStringLiteral("street2"), QStringLiteral("city"), QStringLiteral("state")};

struct Row {
    const char *name;
    const char *spec; // nullptr: the defaults
    QStringList header;
    Positions expected;
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Resolving : public ::testing::TestWithParam<Row> {};

TEST_P(Resolving, FindsEachPartsColumn)
{
    const ColumnMapping m = GetParam().spec ? ColumnMapping::parse(QString::fromUtf8(GetParam().spec)) : ColumnMapping();
    EXPECT_EQ(m.resolve(GetParam().header), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, Resolving,
    ::testing::Values(
        Row{"Defaults", nullptr, defaultHeader, Positions{1, 2, 3, 4, 5, 0, -1}},
        Row{"DefaultStreet2MayBeAbsent", nullptr,
            QStringList{QStringLiteral("name"), QStringLiteral("street1"), QStringLiteral("city"), QStringLiteral("state"), QStringLiteral("zip")},
            Positions{0, 1, -1, 2, 3, 4, -1}},
        Row{"CaseInsensitiveWhenUnique", nullptr,
            QStringList{QStringLiteral("Name"), QStringLiteral("Street1"), QStringLiteral("City"), QStringLiteral("State"), QStringLiteral("ZIP")},
            Positions{0, 1, -1, 2, 3, 4, -1}},
        Row{"Mapped", " name = Full Name ,zip=Zip5",
            QStringList{QStringLiteral("Zip5"), QStringLiteral("Full Name"), QStringLiteral("street1"), QStringLiteral("city"), QStringLiteral("state")},
            Positions{1, 2, -1, 3, 4, 0, -1}}),
    [](const auto &row) { return std::string(row.param.name); });

struct BadRow {
    const char *name;
    const char *spec;
    QStringList header;
    const char *mentioned;
};

void PrintTo(const BadRow &row, std::ostream *os) { *os << row.name; }

class Refusing : public ::testing::TestWithParam<BadRow> {};

TEST_P(Refusing, SaysWhat)
{
    try {
        ColumnMapping::parse(QString::fromUtf8(GetParam().spec)).resolve(GetParam().header);
        FAIL() << "accepted";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String(GetParam().mentioned))) << qPrintable(e.message());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Columns, Refusing,
    ::testing::Values(BadRow{"UnknownPart", "nmae=X", defaultHeader, "\"nmae\""},
                      BadRow{"PartTwice", "zip=a,zip=b", defaultHeader, "more than once"},
                      BadRow{"NoColumnName", "zip=", defaultHeader, "zip needs a column"},
                      BadRow{"MappedColumnMissing", "zip=Zip5", defaultHeader, "no column \"Zip5\" for the zip"},
                      BadRow{"ExplicitStreet2Missing", "street2=Apt", defaultHeader, "no column \"Apt\""},
                      BadRow{"DefaultColumnMissing", "street2=street2",
                             QStringList{QStringLiteral("name"), QStringLiteral("street2")}, "no column \"street1\""},
                      BadRow{"AmbiguousCase", "zip=ZIP",
                             QStringList{QStringLiteral("name"), QStringLiteral("street1"), QStringLiteral("city"), QStringLiteral("state"),
                                         QStringLiteral("Zip"), QStringLiteral("zIP")},
                             "several columns"}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
