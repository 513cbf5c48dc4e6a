#include "quenzel_field.h"

#include <gtest/gtest.h>

#include "test_env.h"

namespace {

TEST(QuenzelFieldTest, ConstructionAndReset) {
  CQuenzelField named(7, "defs", "log", "42abc", "cp-1252", false, "ITEM");
  EXPECT_EQ(named.m_FieldNumber * 100 + named.m_RecordNumber + named.m_Type + named.m_Supplied,
            4207 + kTypeString);
  EXPECT_EQ(CQuenzelField("x", "defs", "log", "42", "cp-1252", false, "ITEM").m_FieldNumber, -1);
  EXPECT_FALSE(named.m_ConvertField || named.m_ConversionOn || named.m_HostUnitsFixed);
  for (const auto& [line, value] : {std::make_pair("4 FLAG x 1", " "),
                                    {"4 FLAG x 1 ab", "0"},
                                    {"1 NUMERIC x 6 0 PRIVATE 1-9 ", "0"}}) {
    CQuenzelField field = quenzel_test::MakeField(line);
    field.m_Value = "changed";
    field.SetSupplied(true);
    field.Reset();
    const CQuenzelField copy = field;
    EXPECT_EQ(copy.m_Value + std::to_string(copy.IsSupplied()), std::string(value) + "0") << line;
  }
}

}  // namespace
