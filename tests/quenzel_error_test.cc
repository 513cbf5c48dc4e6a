#include "quenzel_error.h"

#include <gtest/gtest.h>

namespace {

TEST(QuenzelErrorTest, NamesAndException) {
  const char* names[] = {"None",         "Range Error",     "Range Warning", "Convert Fail",
                         "Length Error", "Invalid Numeric", "Not Found"};
  for (int code = 0; code < 7; ++code) EXPECT_STREQ(QuenzelErrorName(code), names[code]);
  for (int code : {-1, 7, 1000}) EXPECT_STREQ(QuenzelErrorName(code), "Not Found") << code;
  CQuenzelException e("GetField", "defs", 2, "ITEM", "PB", "rejected", "comment");
  const CQuenzelException copy = e;
  EXPECT_EQ(copy.m_ErrorName, "Range Warning");
  EXPECT_EQ(copy.m_Extra, 0);
  EXPECT_EQ(copy.m_Context1 + copy.m_Context2 + copy.m_FieldName, "commentrejectedPB");
}

}  // namespace
