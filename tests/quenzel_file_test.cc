#include "quenzel_file.h"

#include <gtest/gtest.h>

#include "test_env.h"

namespace {

using quenzel_test::kSystemKey;

class QuenzelFileTest : public quenzel_test::QuenzelEnvTest {
 protected:
  bool Load(const std::string& content, const std::string& log = "POS") {
    return catalogue.Initialise(WriteDefinition("defs.txt", content), log, nullptr, "");
  }
  CQuenzelFile catalogue;
};

TEST_F(QuenzelFileTest, NamesAndNumbersFirstEntryWins) {
  ASSERT_TRUE(
      Load("#12 SEND table:action \"ITEM\"\n1 NUMERIC x 4 0 1-9\n"
           "#13 SEND table:action \"ITEM\"\n#20 SEND table:action \"FIRST\"\n"
           "#20 SEND table:action \"SECOND\"\n#21 SEND\n"));
  EXPECT_EQ(catalogue.GetRecord(13), catalogue.GetRecord(12));
  EXPECT_EQ(catalogue.GetRecord(std::string("ITEM"))->fields.size(), 1u);
  EXPECT_EQ(catalogue.GetRecord(20)->name, "FIRST");
  EXPECT_NE(catalogue.GetRecord(std::string("SECOND")), nullptr);
  EXPECT_EQ(catalogue.GetRecord(std::string("21")), catalogue.GetRecord(21));
  EXPECT_EQ(catalogue.GetRecord(std::string("item")), nullptr);
  EXPECT_EQ(catalogue.GetRecord(-1), nullptr);
  EXPECT_EQ(catalogue.GetRecord(12)->FindField(1), &catalogue.GetRecord(12)->fields[0]);
  // A second Initialise adds to what is there.
  ASSERT_TRUE(Load("#12 SEND table:action \"NEW\"\n#14 SEND\n"));
  EXPECT_EQ(catalogue.GetRecord(12)->name, "ITEM");
  EXPECT_NE(catalogue.GetRecord(std::string("NEW")), nullptr);
  EXPECT_NE(catalogue.GetRecord(14), nullptr);
}

TEST_F(QuenzelFileTest, StartEntryAuditSwitchAndVersion) {
  EXPECT_FALSE(Load("#ABC SEND\n"));  // with the switch off only the start entry is written
  auto entries = LogEntries("POS");
  ASSERT_EQ(entries.size(), 1u);
  const std::string path = DefinitionPath("defs.txt");
  EXPECT_EQ(entries[0],
            (std::vector<std::string>{"quenzel", "996", path, path, "CQuenzelFile::Read()"}));
  CQuenzelFile checked;
  EXPECT_FALSE(checked.Initialise("defs.txt", "V", nullptr, "3.1.204"));  // no library file here
  EXPECT_TRUE(LogEntries("V").empty()) << "a failed version check logs nothing";
}

TEST_F(QuenzelFileTest, MeasurementSettingsFromRegistry) {
  struct Row {
    std::vector<quenzel_test::RegistryValue> values;
    std::vector<int> expected;  // source, totals, net, price systems; source, totals, net factors
  };
  const Row rows[] = {
      {{}, {1, 1, 1, 1, -3, -3, -3}},
      {{{kSystemKey, "WeightMeasurementSystem", "Decimal"},
        {kSystemKey, "TotalsWeightMeasurementSystem", "avoir"},
        {kSystemKey, "NetWeightMeasurementSystem", "AVOIR"},
        {kSystemKey, "PriceMeasurementSystem", "DECIMAL"},
        {kSystemKey, "WeightScalingSystem", "-2"},
        {kSystemKey, "TotalsWeightScalingSystem", "0"},
        {kSystemKey, "NetWeightScalingSystem", "2"}},
       {2, 1, 3, 2, -2, 0, 2}},
  };
  for (const Row& row : rows) {
    WriteRegistry(row.values);
    CQuenzelFile fresh;
    ASSERT_TRUE(fresh.Initialise(WriteDefinition("defs.txt", "#12 SEND\n"), "", nullptr, ""));
    const CQuenzelRecord& r = *fresh.GetRecord(12);
    const std::vector<int> got = {r.sourceBaseWeightUnits,    r.sourceTotalsBaseWeightUnits,
                                  r.netWeightBaseWeightUnits, r.priceUnits,
                                  r.sourceScalingFactor,      r.sourceTotalsScalingFactor,
                                  r.netWeightScalingFactor};
    EXPECT_EQ(got, row.expected);
    EXPECT_EQ(r.destinationBaseWeightUnits, 0);
  }
}

}  // namespace
