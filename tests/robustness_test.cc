// Random and mutated definition files through Initialise: each loads or
// fails, never crashes, and every record that loads satisfies the reader's
// guarantees. Run it under the sanitizers to catch out-of-bounds reads.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "quenzel.h"
#include "test_env.h"

namespace {

using quenzel_test::QuenzelEnvTest;

constexpr int kRounds = 3000;

std::string Seed() { return quenzel_test::ReadFile(QUENZEL_SOURCE_DIR "/examples/zqapi/shop.def"); }

// One of a few kinds of damage, chosen by the generator.
std::string Mutate(const std::string& seed, std::mt19937& rng) {
  std::string text = seed;
  std::uniform_int_distribution<int> byte(0, 255);
  auto at = [&](std::size_t size) {
    return std::uniform_int_distribution<std::size_t>(0, size ? size - 1 : 0)(rng);
  };
  switch (rng() % 7) {
    case 0:  // flip bytes
      for (int i = 0, n = 1 + rng() % 16; i < n && !text.empty(); ++i)
        text[at(text.size())] = static_cast<char>(byte(rng));
      break;
    case 1:  // truncate anywhere, often mid-line
      text.resize(at(text.size()));
      break;
    case 2:  // insert structural characters
      for (int i = 0, n = 1 + rng() % 8; i < n; ++i)
        text.insert(at(text.size()), 1, "#\"/=\n\r\0 -,"[rng() % 11]);
      break;
    case 3:  // a very long line
      text.insert(at(text.size()), std::string(500 + rng() % 3000, "x 1\""[rng() % 4]));
      break;
    case 4: {  // pure noise
      text.assign(rng() % 4096, '\0');
      for (char& c : text) c = static_cast<char>(byte(rng));
      break;
    }
    case 5:  // splice two pieces of the seed
      text = seed.substr(at(seed.size())) + seed.substr(0, at(seed.size()));
      break;
    default: {  // random tokens from the format's vocabulary
      static const char* const words[] = {
          "#12",      "SEND",   "table:action", "\"X\"",      "1",
          "NUMERIC",  "STRING", "FLAG",         "name=\"A\"", "KEYPOS",
          "=",        "PSEUDO", "SPLITCNT",     "INITVALUE=", "#INITVALUE=abc",
          "99999999", "-",      "1-9",          "Y,N",        "//",
          "\n",       "\t",     "DELCTLCH",     "PRIVATE",    "0"};
      text.clear();
      for (int i = 0, n = rng() % 200; i < n; ++i) {
        text += words[rng() % (sizeof words / sizeof *words)];
        text += (rng() % 5 == 0) ? "\n" : " ";
      }
    }
  }
  return text;
}

void CheckInvariants(const CQuenzelFile& catalogue, const std::string& input) {
  for (const auto& entry : catalogue.recordKeys)
    ASSERT_EQ(catalogue.records.count(entry.second), 1u) << input;
  for (const auto& entry : catalogue.records) {
    const CQuenzelRecord& record = entry.second;
    ASSERT_LE(record.action, kActionDelete) << input;
    for (const CQuenzelField& field : record.fields) {
      ASSERT_GE(field.m_FieldNumber, 1) << input;
      ASSERT_LE(field.m_FieldNumber, 9999999) << input;
      ASSERT_GE(field.m_Length, 1) << input;
      ASSERT_NE(field.m_Type, kTypeNone) << input;
    }
    for (const auto& index : record.fieldsByNumber)
      ASSERT_LT(static_cast<std::size_t>(index.second), record.fields.size()) << input;
  }
}

class RobustnessTest : public QuenzelEnvTest {};

TEST_F(RobustnessTest, MutatedDefinitionFiles) {
  const std::string seed = Seed();
  ASSERT_FALSE(seed.empty());
  WriteRegistry({{"SOFTWARE\\TORVANHOLME\\DRIVER\\quenzel", "AUDITLOG", "1"},
                 {"SOFTWARE\\TORVANHOLME\\Environment", "Codepage", "1252"}});
  std::mt19937 rng(20261206);
  int loaded = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::string text = Mutate(seed, rng);
    WriteDefinition("fuzz.def", text);
    CQuenzelFile catalogue;
    bool ok = catalogue.Initialise("fuzz.def", "FUZZ", nullptr, "");
    loaded += ok;
    CheckInvariants(catalogue, text);
    if (HasFatalFailure()) return;
    // The same bytes load the same way again.
    CQuenzelFile again;
    ASSERT_EQ(again.Initialise("fuzz.def", "", nullptr, ""), ok);
    ASSERT_EQ(again.records.size(), catalogue.records.size());
  }
  // Both outcomes must be exercised, or the generator is too gentle or too rough.
  EXPECT_GT(loaded, kRounds / 20);
  EXPECT_LT(loaded, kRounds - kRounds / 20);
}

}  // namespace
