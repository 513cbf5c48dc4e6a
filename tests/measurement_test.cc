#include "measurement.h"

#include <gtest/gtest.h>

#include "test_env.h"

namespace {

using quenzel_test::kSystemKey;
using quenzel_test::MakeRecord;

const char* const kItem =
    "12 SEND table:action \"ITEM\"\n"
    "6 PRICEBASE name=\"PB\" 1 0 0,1\n"
    "7 WEIGHT name=\"TARE\" 6 0 0-999999\n"
    "8 UOM name=\"UOM\" 1 1 0,1\n"
    "9 NETWEIGHT name=\"NET\" 6 0 0-999999\n"
    "10 WEIGHTHIRES name=\"HIRES\" 7 0 0-9999999\n";

class MeasurementTest : public quenzel_test::QuenzelEnvTest {};

TEST_F(MeasurementTest, HostAndScaleAgree) {
  struct Row {
    const char* value;  // a registry setting of the scale that differs, or ""
    const char* text;
    bool highResolution;
    bool conversionOn;
  };
  const Row rows[] = {
      {"", "", false, false},
      {"", "", true, true},
      {"TotalsWeightMeasurementSystem", "decimal", false, true},
      {"WeightScalingSystem", "-2", false, true},
      {"TotalsWeightScalingSystem", "-1", false, true},
      {"NetWeightScalingSystem", "-1", false, true},
      {"NetWeightMeasurementSystem", "avoir", false, true},
      {"PriceMeasurementSystem", "DECIMAL", false, true},
      {"WeightMeasurementSystem", "decimal", false, false},  // the host's system replaces it
  };
  for (const Row& r : rows) {
    if (*r.value)
      WriteRegistry({{kSystemKey, r.value, r.text}});
    else
      WriteRegistry({});
    CQuenzelRecord read("defs", "");
    std::istringstream in(kItem);
    ASSERT_TRUE(read.Read(in));
    read.highResolution = r.highResolution;
    read.DriverSetRecordWeightDetails(1, -3, true, false, false);
    EXPECT_EQ(read.conversionOn, r.conversionOn) << r.value << "=" << r.text;
    EXPECT_EQ(read.backwardCompatible, r.conversionOn) << r.value;
    EXPECT_EQ(read.sourceBaseWeightUnits, 1) << r.value;
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

  // Without fields of those names the first field of the type answers, even
  // when a field of the name cannot give a character.
  CQuenzelRecord typed =
      MakeRecord("1 SEND\n4 PRICEBASE name=\"X\" 1 1 0,1\n5 UOM name=\"Y\" 1 0\n");
  EXPECT_TRUE(typed.GetPriceBase() && typed.GetUOMFieldValue());
  CQuenzelRecord none = MakeRecord("1 SEND\n1 NUMERIC name=\"A\" 4 0 1-9\n");
  EXPECT_FALSE(none.GetPriceBase() || none.GetUOMFieldValue());
  CQuenzelRecord bad =
      MakeRecord("1 SEND\n4 STRING name=\"PB\" 1 #\n6 PRICEBASE name=\"Z\" 1 1 0,1\n");
  EXPECT_TRUE(bad.GetPriceBase());
}

TEST_F(MeasurementTest, HandOverBySite) {
  WriteRegistry({{kSystemKey, "TotalsWeightMeasurementSystem", "decimal"},
                 {kSystemKey, "TotalsWeightScalingSystem", "-1"},
                 {kSystemKey, "NetWeightMeasurementSystem", "avoir"},
                 {kSystemKey, "NetWeightScalingSystem", "-2"}});
  struct Row {
    const char* action;
    bool highResolution;
    int field;
    bool reading;
    int scaleMS, scaleSF;
  };
  const Row rows[] = {
      {"SEND", false, 7, true, 1, -3},    {"SEND", false, 7, false, 1, -3},
      {"DELETE", false, 7, true, 2, -1},  {"DELETE", false, 7, false, 1, -3},
      {"SEND", false, 9, true, 3, -2},    {"DELETE", false, 9, false, 3, -2},
      {"SEND", true, 10, true, 1, -4},    {"DELETE", true, 10, true, 2, -4},
      {"DELETE", false, 10, true, 2, -1}, {"SEND", true, 10, false, 1, -4},
  };
  for (const Row& r : rows) {
    std::string block = kItem;
    CQuenzelRecord read("defs", "");
    std::istringstream in(block.replace(3, 4, r.action));
    ASSERT_TRUE(read.Read(in));
    CQuenzelRecord record(read);
    record.highResolution = r.highResolution;
    record.DriverSetFieldWeightDetails(6, 3, -2);  // another field's units stay its own
    record.DriverSetRecordWeightDetails(1, -3, false, false, true);
    CQuenzelField* field = record.FindField(r.field);
    if (r.reading) {
      std::istringstream data("12 " + std::to_string(r.field) + " 1 \"5\" 0 ");
      data >> record;
    } else {
      quenzel_test::Written(record);
    }
    EXPECT_EQ(field->m_ScaleMS, r.scaleMS) << r.action << " " << r.field << " read=" << r.reading;
    EXPECT_EQ(field->m_ScaleSF, r.scaleSF) << r.action << " " << r.field << " read=" << r.reading;
    EXPECT_EQ(field->m_HostMS * 10 + field->m_HostSF, 7);
    EXPECT_EQ(record.FindField(6)->m_HostMS * 10 + record.FindField(6)->m_HostSF, 28);
  }
}

}  // namespace
