// Compile-time check that every natural call of the typed accessors picks
// exactly one overload. Built with the tests, and compiled once more with
// -m32 (where long has 32 bits) when the compiler supports it.
#include <string>
#include <type_traits>
#include <utility>

#include "quenzel_field.h"

namespace {

template <typename T, typename = void>
struct Settable : std::false_type {};
template <typename T>
struct Settable<T, decltype(void(std::declval<CQuenzelField&>().SetValue(std::declval<T>(), false)),
                            void(std::declval<CQuenzelField&>().SetValueUTF8(
                                std::declval<T>(), false)))> : std::true_type {};

template <typename T, typename = void>
struct Gettable : std::false_type {};
template <typename T>
struct Gettable<T, decltype(void(std::declval<CQuenzelField&>().GetValue(std::declval<T&>())),
                            void(std::declval<CQuenzelField&>().GetValueUTF8(std::declval<T&>())))>
    : std::true_type {};

static_assert(Settable<int>::value, "SetValue(5, false)");
static_assert(Settable<long>::value, "SetValue(5L, false)");
static_assert(Settable<long long>::value, "SetValue(5LL, false)");
static_assert(Settable<unsigned>::value, "SetValue(5u, false)");
static_assert(Settable<unsigned long>::value, "SetValue(5ul, false)");
static_assert(Settable<unsigned long long>::value, "SetValue(5ull, false)");
static_assert(Settable<short>::value, "SetValue(short, false)");
static_assert(Settable<unsigned short>::value, "SetValue(unsigned short, false)");
static_assert(Settable<signed char>::value, "SetValue(signed char, false)");
static_assert(Settable<char>::value, "SetValue('Y', false)");
static_assert(Settable<unsigned char>::value, "SetValue(unsigned char, false)");
static_assert(Settable<float>::value, "SetValue(2.7f, false)");
static_assert(Settable<const char*>::value, "SetValue(\"text\", false)");
static_assert(Settable<std::string>::value, "SetValue(std::string, false)");
static_assert(!Settable<double>::value, "a double must be cut explicitly");

static_assert(Gettable<int>::value && Gettable<long>::value && Gettable<long long>::value, "");
static_assert(Gettable<unsigned>::value && Gettable<unsigned long>::value, "");
static_assert(Gettable<unsigned long long>::value, "");
static_assert(Gettable<short>::value && Gettable<unsigned short>::value, "");
static_assert(Gettable<char>::value && Gettable<unsigned char>::value, "");
static_assert(Gettable<float>::value && Gettable<std::string>::value, "");

// Each natural call reaches the overload of its own type.
static_assert(std::is_same<decltype(std::declval<CQuenzelField&>().SetValue('Y', false)),
                           QuenzelError>::value,
              "");
using CharSetter = QuenzelError (CQuenzelField::*)(char, bool);
using IntSetter = QuenzelError (CQuenzelField::*)(int, bool);
using LongSetter = QuenzelError (CQuenzelField::*)(long, bool);
using WideSetter = QuenzelError (CQuenzelField::*)(long long, bool);
[[maybe_unused]] constexpr CharSetter kChar = &CQuenzelField::SetValue;
[[maybe_unused]] constexpr IntSetter kInt = &CQuenzelField::SetValue;
[[maybe_unused]] constexpr LongSetter kLong = &CQuenzelField::SetValue;
[[maybe_unused]] constexpr WideSetter kWide = &CQuenzelField::SetValueUTF8;

}  // namespace
