#include "quenzel_error.h"

#include <gtest/gtest.h>

namespace {

TEST(QuenzelErrorTest, NamesAndException) {
  std::string names;
  for (int code = -1; code <= 8; ++code) names += QuenzelErrorName(code) + std::string("|");
  EXPECT_EQ(names,
            "Not Found|None|Range Error|Range Warning|Convert Fail|Length Error|"
            "Invalid Numeric|Not Found|Not Found|Not Found|");
  CQuenzelException e("GetField", "defs", 2, "ITEM", "PB", "rejected", "comment");
  const CQuenzelException copy = e;
  EXPECT_EQ(copy.m_ErrorName, "Range Warning");
  EXPECT_EQ(copy.m_Extra, 0);
  EXPECT_EQ(copy.m_Context1 + copy.m_Context2 + copy.m_FieldName, "commentrejectedPB");
}

}  // namespace
