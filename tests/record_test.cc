// Records: field lookup and creation, keys, Reset, copying, and the
// measurement settings handed to weight fields.
#include <gtest/gtest.h>

#include <sstream>

#include "quenzel.h"
#include "test_env.h"

namespace {

using quenzel_test::QuenzelEnvTest;

// A record as the catalogue hands it out: read from `block`, then copied.
CQuenzelRecord Load(const std::string& block) {
  CQuenzelRecord read("defs", "");
  std::istringstream in(block);
  EXPECT_TRUE(read.Read(in)) << block;
  return CQuenzelRecord(read);
}

const char* const kItem =
    "12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "3 STRING name=\"DESC\" 10 #\n"
    "3 STRING name=\"DUPLICATE\" 10 #\n"
    "6 PRICEBASE name=\"PB\" 1 0 0,1\n"
    "7 WEIGHT name=\"TARE\" 6 0 0-999999\n"
    "8 UOM name=\"UOM\" 1 1 0,1\n"
    "9 NETWEIGHT name=\"NET\" 6 0 0-999999\n"
    "10 WEIGHTHIRES name=\"HIRES\" 7 0 0-9999999\n";

TEST(RecordLookupTest, IndexesAndCreation) {
  CQuenzelRecord record = Load(kItem);
  EXPECT_EQ(record.FindField(3)->m_Name, "DESC") << "the first of two numbers wins";
  EXPECT_EQ(record.FindField(std::string("DUPLICATE"))->m_FieldNumber, 3);
  EXPECT_EQ(record.FindField(std::string("desc")), nullptr);
  EXPECT_EQ(record.GetFieldByIdx(8), nullptr);
  ASSERT_NE(record.GetFieldByIdx(7), nullptr);

  CQuenzelField* created = record.CreateFindField(42);
  EXPECT_EQ(created->m_Type, kTypeString);
  EXPECT_EQ(created->m_Comment, "42");
  EXPECT_TRUE(created->m_SendOrDelete);
  EXPECT_EQ(record.CreateFindField(42), created);
  EXPECT_EQ(record.FindField(42), created);

  CQuenzelField* byName = record.CreateFindField(std::string("05"));
  EXPECT_EQ(byName->m_FieldNumber, 5);
  EXPECT_EQ(record.FindField(5), nullptr) << "its number key is the text 05";
  EXPECT_EQ(record.CreateFindField(std::string("05")), byName);
  CQuenzelRecord copy = record;
  EXPECT_NE(copy.FindField(5), nullptr) << "copying rebuilds the number index";
  EXPECT_EQ(record.CreateFindField(std::string("7")), record.FindField(7))
      << "a name is looked up among the numbers too";
}

TEST(RecordLookupTest, ResetDropsTextOnlyFields) {
  CQuenzelRecord record = Load(kItem);
  record.FindField(1)->SetValue(123LL, false);
  record.FindField(1)->SetSupplied(true);
  record.FindField(3)->SetTreatAsText();
  record.conversionOn = true;
  record.Reset();
  ASSERT_EQ(record.fields.size(), 7u);
  EXPECT_EQ(record.FindField(1)->m_Value, "0");
  EXPECT_FALSE(record.FindField(1)->m_Supplied);
  EXPECT_EQ(record.FindField(3)->m_Name, "DUPLICATE") << "the next field of the number moves up";
  EXPECT_EQ(record.FindField(std::string("UOM")), &record.fields[4]);
  EXPECT_EQ(record.FindField(std::string("DESC")), nullptr);
  EXPECT_TRUE(record.conversionOn) << "settings survive Reset";
}

TEST(RecordLookupTest, AssignmentKeepsWorkingTexts) {
  CQuenzelRecord source = Load(kItem);
  source.lastFieldName = "source";
  CQuenzelRecord target(99);
  target.lastFieldName = "target";
  target.fieldName = "kept";
  target = source;
  EXPECT_EQ(target.lastFieldName, "target");
  EXPECT_EQ(target.fieldName, "kept");
  EXPECT_EQ(target.recordNumber, 12);
  target = target;  // self-assignment keeps everything usable
  EXPECT_NE(target.FindField(std::string("PLU")), nullptr);
}

TEST(RecordKeyTest, CheckKeyFieldSupplied) {
  struct Case {
    const char* block;
    const char* supplied;  // name of the field marked supplied, or ""
    bool passes;
  };
  const Case cases[] = {
      {"1 SEND\n1 NUMERIC name=\"A\" 4 0 1-9\n", "", true},
      {"1 SEND\n1 NUMERIC name=\"A\" 4 0 KEYPOS = F2 1-9\n", "", false},
      {"1 SEND\n1 NUMERIC name=\"A\" 4 0 KEYPOS = F2 1-9\n", "A", true},
      {"1 DELETE table:action \"ITEMDELETEONE\"\n1 NUMERIC name=\"A\" 4 0 1-9\n", "A", false},
      {"1 DELETE table:action \"DELETEONE\"\n1 NUMERIC name=\"F2\" 4 0 1-9\n", "F2", true},
      {"1 DELETE table:action \"DELETEONE\"\n1 NUMERIC name=\"F2\" 4 0 1-9\n", "", false},
  };
  for (const Case& c : cases) {
    CQuenzelRecord record = Load(c.block);
    if (*c.supplied) record.FindField(std::string(c.supplied))->SetSupplied(true);
    EXPECT_EQ(record.CheckKeyFieldSupplied(), c.passes) << c.block << " supplied " << c.supplied;
  }
  // A key name whose field is missing counts as not supplied.
  CQuenzelRecord missing = Load(cases[0].block);
  missing.keyF3Name = "GONE";
  EXPECT_FALSE(missing.CheckKeyFieldSupplied());
}

class MeasurementTest : public QuenzelEnvTest {};

TEST_F(MeasurementTest, DriverRecordSettings) {
  CQuenzelRecord record = Load(kItem);
  record.DriverSetRecordWeightDetails(1, -3, true, false, false);
  EXPECT_FALSE(record.conversionOn) << "host and scale agree";
  EXPECT_FALSE(record.backwardCompatible);

  record.FindField(std::string("PB"))->SetValue('1', false);
  record.FindField(std::string("UOM"))->SetValue('0', false);
  record.DriverSetRecordWeightDetails(2, -2, true, false, false);
  EXPECT_TRUE(record.conversionOn);
  EXPECT_TRUE(record.backwardCompatible);
  EXPECT_TRUE(record.priceBaseFlag);
  EXPECT_TRUE(record.uomFlag);
  EXPECT_EQ(record.sourceBaseWeightUnits, 2);
  EXPECT_EQ(record.destinationScalingFactor, -2);

  record.FindField(std::string("UOM"))->SetValue('1', false);
  record.DriverSetRecordWeightDetails(2, -2, false, false, false);
  EXPECT_FALSE(record.uomFlag);
  record.DriverSetRecordWeightDetails(2, -2, false, false, true);
  EXPECT_TRUE(record.uomFlag);
}

TEST_F(MeasurementTest, PriceBaseAndUnitOfMeasureFallBackToTypes) {
  CQuenzelRecord typed = Load("1 SEND\n4 PRICEBASE name=\"X\" 1 1 0,1\n5 UOM name=\"Y\" 1 0 0,1\n");
  EXPECT_TRUE(typed.GetPriceBase());
  EXPECT_TRUE(typed.GetUOMFieldValue());
  CQuenzelRecord none = Load("1 SEND\n1 NUMERIC name=\"A\" 4 0 1-9\n");
  EXPECT_FALSE(none.GetPriceBase());
  EXPECT_FALSE(none.GetUOMFieldValue());
  // A "PB" field whose value fails its list raises inside; the type fallback answers.
  CQuenzelRecord bad = Load("1 SEND\n4 STRING name=\"PB\" 1 #\n6 PRICEBASE name=\"Z\" 1 1 0,1\n");
  EXPECT_TRUE(bad.GetPriceBase());
}

TEST_F(MeasurementTest, HandOverByCallSite) {
  WriteRegistry(
      {{"SOFTWARE\\TORVANHOLME\\DRIVER\\system", "TotalsWeightMeasurementSystem", "decimal"},
       {"SOFTWARE\\TORVANHOLME\\DRIVER\\system", "TotalsWeightScalingSystem", "-1"},
       {"SOFTWARE\\TORVANHOLME\\DRIVER\\system", "NetWeightMeasurementSystem", "avoir"},
       {"SOFTWARE\\TORVANHOLME\\DRIVER\\system", "NetWeightScalingSystem", "-2"}});
  struct Case {
    const char* action;
    bool highResolution;
    const char* field;
    bool reading;
    int scaleMS, scaleSF;
  };
  const Case cases[] = {
      {"SEND", false, "TARE", true, 1, -3},    {"SEND", false, "TARE", false, 1, -3},
      {"DELETE", false, "TARE", true, 2, -1},  {"DELETE", false, "TARE", false, 1, -3},
      {"SEND", false, "NET", true, 3, -2},     {"DELETE", false, "NET", false, 3, -2},
      {"SEND", true, "HIRES", true, 1, -4},    {"DELETE", true, "HIRES", true, 2, -4},
      {"DELETE", false, "HIRES", true, 2, -1}, {"SEND", true, "HIRES", false, 1, -4},
  };
  for (const Case& c : cases) {
    std::string block = kItem;
    block.replace(block.find("SEND"), 4, c.action);
    CQuenzelRecord read("defs", "");
    std::istringstream in(block);
    ASSERT_TRUE(read.Read(in));
    CQuenzelRecord record(read);
    record.highResolution = c.highResolution;
    record.DriverSetRecordWeightDetails(1, -3, false, false, true);
    ASSERT_TRUE(record.conversionOn);
    CQuenzelField* field = record.FindField(std::string(c.field));
    if (c.reading) {
      std::string data = "12 " + std::to_string(field->m_FieldNumber) + " 1 \"5\" 0 ";
      std::istringstream dataIn(data);
      dataIn >> record;
    } else {
      std::ostringstream out;
      out << record;
    }
    EXPECT_EQ(field->m_ScaleMS, c.scaleMS) << c.action << " " << c.field << " read=" << c.reading;
    EXPECT_EQ(field->m_ScaleSF, c.scaleSF) << c.action << " " << c.field << " read=" << c.reading;
    EXPECT_EQ(field->m_HostMS, 1);
    EXPECT_EQ(field->m_HostSF, -3);
  }
}

TEST_F(MeasurementTest, FieldHostUnitsStayFixed) {
  CQuenzelRecord record = Load(kItem);
  record.DriverSetFieldWeightDetails(7, 3, -2);
  EXPECT_TRUE(record.conversionOn);
  EXPECT_TRUE(record.uomFlag);
  record.DriverSetFieldWeightDetails(77, 2, 0);  // no such field: nothing changes
  record.DriverSetRecordWeightDetails(2, -1, false, false, true);
  std::ostringstream out;
  out << record;
  EXPECT_EQ(record.FindField(7)->m_HostMS, 3);
  EXPECT_EQ(record.FindField(7)->m_HostSF, -2);
  EXPECT_EQ(record.FindField(9)->m_HostMS, 2);
  EXPECT_EQ(record.FindField(9)->m_HostSF, -1);
}

}  // namespace
