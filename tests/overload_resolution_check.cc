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

template <typename... T>
constexpr bool kAllSettable = (Settable<T>::value && ...);
template <typename... T>
constexpr bool kAllGettable = (Gettable<T>::value && ...);

static_assert(
    kAllSettable<int, long, long long, unsigned, unsigned long, unsigned long long, short,
                 unsigned short, signed char, char, unsigned char, float, const char*, std::string>,
    "every natural SetValue call resolves");
static_assert(!Settable<double>::value, "a double must be cut explicitly");
static_assert(kAllGettable<int, long, long long, unsigned, unsigned long, unsigned long long, short,
                           unsigned short, char, unsigned char, float, std::string>,
              "every natural GetValue call resolves");

// Each type has an overload of its own.
[[maybe_unused]] constexpr QuenzelError (CQuenzelField::*kChar)(char,
                                                                bool) = &CQuenzelField::SetValue;
[[maybe_unused]] constexpr QuenzelError (CQuenzelField::*kLong)(long,
                                                                bool) = &CQuenzelField::SetValue;
[[maybe_unused]] constexpr QuenzelError (CQuenzelField::*kWide)(long long, bool) =
    &CQuenzelField::SetValueUTF8;

}  // namespace
