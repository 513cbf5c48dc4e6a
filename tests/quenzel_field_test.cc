#include "quenzel_field.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_env.h"

namespace {

using namespace quenzel_test;

TEST(QuenzelFieldTest, ConstructionAndReset) {
  CQuenzelField named(7, "defs", "log", "42abc", "cp-1252", false, "ITEM");
  EXPECT_EQ(named.m_FieldNumber * 100 + named.m_RecordNumber, 4207);
  EXPECT_EQ(named.m_Type, kTypeString);
  EXPECT_EQ(CQuenzelField("x", "defs", "log", "42", "cp-1252", false, "ITEM").m_FieldNumber, -1);

  using Row = std::tuple<const char*, const char*>;  // line, value
  const Row rows[] = {
      {"4 FLAG x 1 N Y N", "N"},
      {"4 FLAG x 1", " "},
      {"4 FLAG x 1 ab", "0"},
      {"1 NUMERIC x 6 0 PRIVATE 1-9 ", "0"},
  };
  for (const auto& [line, value] : rows) {
    CQuenzelField field = MakeField(line);
    field.m_Value = "changed";
    field.SetSupplied(true);
    field.Reset();
    EXPECT_EQ(field.m_Value, value) << line;
    EXPECT_FALSE(field.IsSupplied()) << line;
    CQuenzelField copy = field;
    EXPECT_EQ(Describe(copy) + copy.m_Value, Describe(field) + value);
  }
}

}  // namespace
