// Exceptions across the shared library's boundary, in both directions. This
// program links the library as a host does (quenzel.dll, libquenzel.so), not
// its static twin: an exception thrown inside the library must reach the
// host's handler, and a host stream buffer's exception must pass through the
// library's stream operators to the library's handler and, when the stream's
// mask asks for it, back out to the host. On 32-bit Windows both only work
// when every module shares one GCC runtime.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "test_env.h"

namespace {

using namespace quenzel_test;

// An exception type the library has never seen: only the host's type
// information knows it, so a catch by this type proves the original object
// came back.
struct HostDeviceError : std::runtime_error {
  HostDeviceError() : std::runtime_error("host device failed") {}
};

// Serves `text`, then fails where its end would be; every write fails.
class HostBuffer : public std::stringbuf {
 public:
  explicit HostBuffer(const std::string& text) : std::stringbuf(text, std::ios::in) {}

 protected:
  int_type underflow() override {
    const int_type c = std::stringbuf::underflow();
    return c == traits_type::eof() ? throw HostDeviceError() : c;
  }
  int_type overflow(int_type) override { throw HostDeviceError(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return overflow(0); }
};

const char* const kItem =
    "12 SEND table:action \"ITEM\"\n1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "4 FLAG name=\"ACTIVE\" 1 N Y,N\n";

TEST(DllBoundaryTest, SetterExceptionReachesTheHost) {
  CQuenzelRecord record = MakeRecord(kItem);
  CQuenzelField* flag = record.FindField(4);
  ASSERT_NE(flag, nullptr);
  // An empty code-page text on a single-character field is refused with
  // std::out_of_range, thrown inside the library.
  EXPECT_THROW(flag->SetValue(std::string(), false), std::out_of_range);
  // The library and the process go on as before.
  EXPECT_EQ(flag->SetValue(std::string("Y"), false), QuenzelError::kNone);
  EXPECT_EQ(Written(record), "12 4 1 \"Y\" 0 ");
}

TEST(DllBoundaryTest, HostBufferExceptionPassesThroughTheStreamOperators) {
  CQuenzelRecord record = MakeRecord(kItem);
  record.FindField(1)->SetValueUTF8("4711", false);
  const std::ios::iostate masks[] = {std::ios::goodbit, std::ios::eofbit, std::ios::failbit,
                                     std::ios::badbit,
                                     std::ios::badbit | std::ios::failbit | std::ios::eofbit};
  for (const std::ios::iostate mask : masks) {
    HostBuffer device("12 1 4 \"4712\" 0 12 1 2 \"4");
    std::iostream in(&device), recordOut(&device), fieldOut(&device);
    in >> record;  // the first record is whole
    EXPECT_EQ(record.FindField(1)->m_Value, "4712");
    const std::function<void()> failing[] = {[&] { in >> record; }, [&] { recordOut << record; },
                                             [&] { fieldOut << *record.FindField(1); }};
    std::iostream* streams[] = {&in, &recordOut, &fieldOut};
    for (int i = 0; i < 3; ++i) {
      streams[i]->exceptions(mask);
      bool hostError = false;
      try {
        failing[i]();
      } catch (const HostDeviceError&) {
        hostError = true;
      }
      // The device's own exception, and only when the mask asks for badbit.
      EXPECT_EQ(hostError, (mask & std::ios::badbit) != 0) << "mask " << mask << ", call " << i;
      EXPECT_TRUE(streams[i]->bad()) << "mask " << mask << ", call " << i;
    }
  }
}

}  // namespace
