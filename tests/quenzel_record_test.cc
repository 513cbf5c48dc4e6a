#include "quenzel_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "test_env.h"

namespace {

using namespace quenzel_test;

const char* const kItem =
    "12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "3 STRING name=\"DESC\" 10 #\n"
    "3 STRING name=\"DUPLICATE\" 10 #\n"
    "8 UOM name=\"UOM\" 1 1 0,1\n";

TEST(QuenzelRecordTest, LookupsAndCreation) {
  CQuenzelRecord record = MakeRecord(kItem);
  EXPECT_EQ(record.FindField(3)->m_Name, "DESC") << "the first of two numbers wins";
  EXPECT_TRUE(record.GetFieldByIdx(3) == &record.fields[3] && record.GetFieldByIdx(4) == nullptr);

  CQuenzelField* created = record.CreateFindField(42);
  EXPECT_TRUE(created->m_Type == kTypeString && created->m_Comment == "42" &&
              created->m_SendOrDelete);
  EXPECT_EQ(record.CreateFindField(42), created);
  EXPECT_EQ(record.FindField(std::string("42")), created);
  CQuenzelField* byName = record.CreateFindField(std::string("05"));
  EXPECT_EQ(byName->m_FieldNumber, 5);
  EXPECT_EQ(record.FindField(5), nullptr) << "its number key is the text 05";
  EXPECT_EQ(record.CreateFindField(std::string("8")), record.FindField(8)) << "numbers too";
  CQuenzelRecord copy = record;
  EXPECT_EQ(copy.FindField(5), &copy.fields[5]) << "copying rebuilds the number index";
}

// FindField(int) answers from a private index; after every operation that
// changes fieldsByNumber it must give what a lookup in the map gives.
TEST(QuenzelRecordTest, NumberLookupsFollowTheMap) {
  CQuenzelRecord record = MakeRecord(std::string(kItem) + "40 STRING name=\"GAP\" 4 #\n");
  CQuenzelRecord other = MakeRecord(kItem);
  using Step = std::pair<const char*, std::function<void(CQuenzelRecord&)>>;
  const Step steps[] = {
      {"copy", [](CQuenzelRecord& r) { r = CQuenzelRecord(r); }},
      {"create 42", [](CQuenzelRecord& r) { r.CreateFindField(42); }},
      {"create -3", [](CQuenzelRecord& r) { r.CreateFindField(-3); }},
      {"create 05, 0, PRICE",
       [](CQuenzelRecord& r) {
         for (const char* key : {"05", "0", "PRICE", "-0"}) r.CreateFindField(std::string(key));
       }},
      {"reset drops 3", [](CQuenzelRecord& r) { r.FindField(3)->SetTreatAsText(), r.Reset(); }},
      {"move in", [&](CQuenzelRecord& r) { r = std::move(other); }},
      {"host inserts 50", [](CQuenzelRecord& r) { r.fieldsByNumber.emplace("50", 0); }},
      {"host erases 1, creates 7",
       [](CQuenzelRecord& r) { r.fieldsByNumber.erase("1"), r.CreateFindField(7); }},
  };
  for (const auto& [name, step] : steps) {
    step(record);
    for (int n = -4; n <= 60; ++n) {
      const auto it = record.fieldsByNumber.find(std::to_string(n));
      EXPECT_EQ(record.FindField(n),
                it == record.fieldsByNumber.end() ? nullptr : &record.fields[it->second])
          << name << ": " << n;
    }
  }
}

// A record whose name index starts empty fills it in sorted order; it must
// hold what one insertion per field gives: the first field of a name wins,
// whatever the names share or where they differ.
TEST(QuenzelRecordTest, NameIndexMatchesInsertionPerField) {
  const std::vector<std::vector<std::string>> cases = {
      {"B", "A", "B", "", "A", ""},
      {"Text field 10", "Text field 2", "Text field 1", "Text field 10", "Text field"},
      {"LONGPREFIX_B", "LONGPREFIX_A", "LONGPREFIX_A", "LONGPREFIX_"},
      {std::string("AB\0", 3), "AB", std::string("AB\0\0", 4), "AB", std::string("AB\0", 3)},
      {"\xff", "\x01", "\x80", "\x7f", "\xff"},
      {"same", "same", "same"},
  };
  for (const auto& names : cases) {
    CQuenzelRecord record;
    std::map<std::string, int> expected;
    for (const std::string& name : names) {
      record.fields.emplace_back(1, "", "", name, "cp-1252", false, "");
      expected.emplace(name, static_cast<int>(record.fields.size()) - 1);
    }
    const CQuenzelRecord copy(record);
    EXPECT_EQ(copy.fieldsByName, expected) << names.front();
  }
}

TEST(QuenzelRecordTest, ResetAndAssignment) {
  CQuenzelRecord record = MakeRecord(kItem);
  record.FindField(1)->SetValue(123LL, false);
  record.FindField(1)->SetSupplied(true);
  record.FindField(3)->SetTreatAsText();
  record.conversionOn = true;
  record.Reset();
  ASSERT_EQ(record.fields.size(), 3u);
  EXPECT_TRUE(record.FindField(1)->m_Value == "0" && !record.FindField(1)->m_Supplied);
  EXPECT_EQ(record.FindField(3)->m_Name, "DUPLICATE") << "the next field of the number moves up";
  EXPECT_EQ(record.FindField(std::string("UOM")), &record.fields[2]);
  EXPECT_EQ(record.FindField(std::string("DESC")), nullptr);
  EXPECT_TRUE(record.conversionOn) << "settings survive Reset";

  CQuenzelRecord target(99);
  target.lastFieldName = "target";
  target.fieldName = "kept";
  record.lastFieldName = "source";
  target = record;
  EXPECT_EQ(target.lastFieldName + target.fieldName, "targetkept");
  EXPECT_EQ(target.recordNumber, 12);
  CQuenzelRecord moved(std::move(target));
  EXPECT_EQ(moved.FindField(std::string("UOM")), &moved.fields[2]);
  EXPECT_EQ(CQuenzelRecord(std::string("N")).name + std::to_string(CQuenzelRecord(7).recordNumber),
            "N7");
}

TEST(QuenzelRecordTest, CheckKeyFieldSupplied) {
  using Row = std::tuple<const char*, const char*, bool>;  // block, supplied, passes
  const Row rows[] = {
      {"1 SEND\n1 NUMERIC name=\"A\" 4 0 1-9\n", "", true},
      {"1 SEND\n1 NUMERIC name=\"A\" 4 0 KEYPOS = F2 1-9\n", "", false},
      {"1 SEND\n1 NUMERIC name=\"A\" 4 0 KEYPOS = F3 1-9\n", "A", true},
      {"1 DELETE table:action \"ITEMDELETEONE\"\n1 NUMERIC name=\"A\" 4 0 1-9\n", "A", false},
      {"1 DELETE table:action \"DELETEONE\"\n1 NUMERIC name=\"F2\" 4 0 1-9\n", "F2", true},
      {"1 DELETE table:action \"DELETEONE\"\n1 NUMERIC name=\"F2\" 4 0 1-9\n", "", false},
  };
  for (const auto& [block, supplied, passes] : rows) {
    CQuenzelRecord record = MakeRecord(block);
    if (*supplied) record.FindField(std::string(supplied))->SetSupplied(true);
    EXPECT_EQ(record.CheckKeyFieldSupplied(), passes) << block << " supplied " << supplied;
  }
  CQuenzelRecord missing = MakeRecord(std::get<0>(rows[0]));
  missing.keyF3Name = "GONE";
  EXPECT_FALSE(missing.CheckKeyFieldSupplied()) << "a key whose field is missing";
}

}  // namespace
