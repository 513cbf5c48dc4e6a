#include "measurement.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_env.h"

namespace {

using namespace quenzel_test;

const char* const kItem =
    "12 SEND table:action \"ITEM\"\n6 PRICEBASE name=\"PB\" 1 0 0,1\n"
    "7 WEIGHT name=\"TARE\" 6 0 0-999999\n8 UOM name=\"UOM\" 1 1 0,1\n"
    "9 NETWEIGHT name=\"NET\" 6 0 0-999999\n10 WEIGHTHIRES name=\"HIRES\" 7 0 0-9999999\n";

class MeasurementTest : public QuenzelEnvTest {
 protected:
  // The catalogue's record of `block`, with the scale's settings of the registry.
  CQuenzelRecord Read(const std::string& block) {
    CQuenzelRecord read("defs", "");
    std::istringstream in(block);
    EXPECT_TRUE(read.Read(in));
    return CQuenzelRecord(read);
  }
};

TEST_F(MeasurementTest, HostAndScaleAgree) {
  using Row = std::tuple<const char*, const char*, bool,
                         bool>;  // value, text, highResolution, conversionOn
  const Row rows[] = {
      {"WeightScalingSystem", "-3", false, false},
      {"WeightScalingSystem", "-3", true, true},
      {"TotalsWeightMeasurementSystem", "decimal", false, true},
      {"TotalsWeightMeasurementSystem", "avoir", false, false},  // known for net weights only
      {"WeightScalingSystem", "-2", false, true},
      {"TotalsWeightScalingSystem", "-1", false, true},
      {"NetWeightScalingSystem", "-1", false, true},
      {"NetWeightMeasurementSystem", "AVOIR", false, true},
      {"PriceMeasurementSystem", "Decimal", false, true},
      {"WeightMeasurementSystem", "decimal", false, false},  // the host's system replaces it
  };
  for (const auto& [value, text, highResolution, conversionOn] : rows) {
    WriteRegistry({{kSystemKey, value, text}});
    CQuenzelRecord record = Read(kItem);
    record.highResolution = highResolution;
    record.DriverSetRecordWeightDetails(1, -3, true, false, false);
    EXPECT_EQ(record.conversionOn, conversionOn) << value << "=" << text;
    EXPECT_EQ(record.backwardCompatible, conversionOn) << value;
  }
}

TEST_F(MeasurementTest, PriceBaseAndUnitOfMeasure) {
  CQuenzelRecord record = MakeRecord(kItem);
  record.FindField(std::string("PB"))->SetValue('1', false);
  record.FindField(std::string("UOM"))->SetValue('0', false);
  record.DriverSetRecordWeightDetails(2, -2, false, false, false);
  EXPECT_TRUE(record.priceBaseFlag && record.uomFlag);
  EXPECT_EQ(record.destinationBaseWeightUnits * 10 + record.destinationScalingFactor, 18);
  record.FindField(std::string("UOM"))->SetValue('1', false);
  record.DriverSetRecordWeightDetails(2, -2, false, false, false);
  EXPECT_FALSE(record.uomFlag);
  record.DriverSetRecordWeightDetails(2, -2, false, false, true);
  EXPECT_TRUE(record.uomFlag);
  // Else the first field of the type answers, also when a field of the name cannot.
  EXPECT_FALSE(MakeRecord("1 SEND\n").GetPriceBase() || MakeRecord("1 SEND\n").GetUOMFieldValue());
  CQuenzelRecord bad = MakeRecord("1 SEND\n4 STRING name=\"PB\" 1 #\n6 PRICEBASE x 1 1 0,1\n");
  EXPECT_TRUE(bad.GetPriceBase());
}

TEST_F(MeasurementTest, HandOverBySite) {
  WriteRegistry({{kSystemKey, "TotalsWeightMeasurementSystem", "decimal"},
                 {kSystemKey, "TotalsWeightScalingSystem", "-1"},
                 {kSystemKey, "NetWeightMeasurementSystem", "avoir"},
                 {kSystemKey, "NetWeightScalingSystem", "-2"}});
  using Row = std::tuple<const char*, bool, int, bool, int,
                         int>;  // action, highResolution, field, reading, scaleMS, scaleSF
  const Row rows[] = {
      {"SEND", false, 7, true, 1, -3},   {"SEND", false, 7, false, 1, -3},
      {"DELETE", false, 7, true, 2, -1}, {"DELETE", false, 7, false, 1, -3},
      {"SEND", false, 9, true, 3, -2},   {"DELETE", false, 9, false, 3, -2},
      {"SEND", true, 10, true, 1, -4},   {"DELETE", true, 10, true, 2, -4},
  };
  for (const auto& [action, highResolution, field, reading, scaleMS, scaleSF] : rows) {
    std::string block = kItem;
    CQuenzelRecord record = Read(block.replace(3, 4, action));
    record.highResolution = highResolution;
    record.DriverSetFieldWeightDetails(6, 3, -2);  // another field's units stay its own
    record.DriverSetRecordWeightDetails(1, -3, false, false, true);
    std::istringstream data("12 " + std::to_string(field) + " 1 \"5\" 0 ");
    reading ? static_cast<void>(data >> record) : static_cast<void>(Written(record));
    const CQuenzelField& f = *record.FindField(field);
    EXPECT_EQ(f.m_ScaleMS * 10 + f.m_ScaleSF, scaleMS * 10 + scaleSF)
        << action << " " << field << " read=" << reading;
    EXPECT_EQ(f.m_HostMS * 10 + f.m_HostSF, 7);
    EXPECT_EQ(record.FindField(6)->m_HostMS * 10 + record.FindField(6)->m_HostSF, 28);
  }
}

}  // namespace
