// Addresses written as Pub 28 asks, from the publication's own examples; and the tables
// it reads, missing or damaged.
#include "postal/addresses/PostalTable.h"
#include "postal/addresses/Pub28Style.h"
#include "postal/addresses/ZipStateTable.h"
#include "reporting_engine/base/EngineError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using postal::Pub28Style;

namespace {

const auto byName = [](const auto &row) { return std::string(row.param.name); };

struct LineRow {
    const char *name;
    const char *given;
    const char *pub28;
};

class DeliveryLine : public ::testing::TestWithParam<LineRow> {};

TEST_P(DeliveryLine, PrintsInPub28Style)
{
    EXPECT_EQ(Pub28Style::standard().deliveryLine(QString::fromUtf8(GetParam().given)), QString::fromUtf8(GetParam().pub28));
}

INSTANTIATE_TEST_SUITE_P(
    Pub28, DeliveryLine,
    ::testing::Values(LineRow{"SuffixC1", "123 Here Road", "123 HERE RD"},
                      LineRow{"UnitC2OnItsOwnLine", "Apartment 4", "APT 4"},
                      LineRow{"UnitAfterSuffix", "102 Main Street Apartment 101", "102 MAIN ST APT 101"},
                      LineRow{"PreAndPostDirectional", "1 North Main Street Southwest", "1 N MAIN ST SW"},
                      LineRow{"DirectionalAsTheName", "1 North Street", "1 NORTH ST"},
                      LineRow{"SuiteWithHashDropped", "1200 Elm Avenue, Suite # 100", "1200 ELM AVE STE 100"},
                      LineRow{"HashForAnUnknownDesignator", "3 Oak Lane #7", "3 OAK LN # 7"},
                      LineRow{"PeriodsAndApostrophes", "P.O. Box 1, O'Neil Rd.", "PO BOX 1 ONEIL RD"},
                      LineRow{"HyphenInTheAddressNumber", "123-45 Queens Blvd.", "123-45 QUEENS BLVD"},
                      LineRow{"NameWordsStayWhole", "9 Front Street", "9 FRONT ST"},
                      LineRow{"NoNumberUnitAtTheEnd", "20 Pine Ct Rear", "20 PINE CT REAR"}),
    byName);

struct StateRow {
    const char *name;
    const char *given;
    const char *code;
};

class State : public ::testing::TestWithParam<StateRow> {};

TEST_P(State, IsItsTwoLetterCode)
{
    EXPECT_EQ(Pub28Style::standard().state(QString::fromUtf8(GetParam().given)), QString::fromUtf8(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(AppendixB, State,
                         ::testing::Values(StateRow{"Alaska", "Alaska", "AK"}, StateRow{"District", "District of Columbia", "DC"},
                                           StateRow{"Possession", "American Samoa", "AS"},
                                           StateRow{"CodeAlready", "ak", "AK"}, StateRow{"NoState", "Atlantis", "ATLANTIS"}),
                         byName);

struct ZipRow {
    const char *name;
    const char *state;
    const char *zip;
    const char *mismatch;
};

class ZipAndState : public ::testing::TestWithParam<ZipRow> {};

TEST_P(ZipAndState, StateServedByTheZipPrefix)
{
    EXPECT_EQ(postal::ZipStateTable::standard().mismatch(QString::fromUtf8(GetParam().state), QString::fromUtf8(GetParam().zip)),
              QString::fromUtf8(GetParam().mismatch));
}

INSTANTIATE_TEST_SUITE_P(
    L002, ZipAndState,
    ::testing::Values(ZipRow{"Anchorage", "AK", "99501", ""},
                      ZipRow{"BostonIsNotNewYork", "NY", "02108", "the ZIP code 02108 is in MA, not in NY"},
                      ZipRow{"FishersIslandUnderAConnecticutPrefix", "NY", "06390", ""},
                      ZipRow{"ZipPlusFour", "DC", "205881234", ""},
                      ZipRow{"Unassigned", "NY", "00100", "the ZIP code 00100 has a prefix (001) no state is assigned"}),
    byName);

// A table that is not there or not whole stops the rule with the file's name.
struct TableRow {
    const char *name;
    const char *content; // nullptr: no file
    const char *error;
};

class Tables : public ::testing::TestWithParam<TableRow> {};

TEST_P(Tables, MissingOrDamagedNamesTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zip3-state.txt"));
    if (GetParam().content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GetParam().content);
    }
    qputenv("KORVA_ENVELOPE_DATA_DIR", dir.path().toUtf8());
    try {
        postal::PostalTable::load(QStringLiteral("zip3-state.txt"), 2, 8).pairs();
        ADD_FAILURE() << "no error";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(path)) << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QLatin1String(GetParam().error))) << qPrintable(e.message());
    }
    qunsetenv("KORVA_ENVELOPE_DATA_DIR");
}

INSTANTIATE_TEST_SUITE_P(Data, Tables,
                         ::testing::Values(TableRow{"Missing", nullptr, "cannot be read"},
                                           TableRow{"OnlyComments", "# source\n", "no rows"},
                                           TableRow{"FieldMissing", "# source\n995 AK\n996\n", "line 3 has 1 fields"},
                                           TableRow{"ListedTwice", "995 AK\n995 AK\n", "\"995\" is listed twice"}),
                         byName);

} // namespace
