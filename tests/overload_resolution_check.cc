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

static_assert((Settable<int>::value && Settable<long>::value && Settable<long long>::value &&
               Settable<unsigned>::value && Settable<unsigned long>::value &&
               Settable<unsigned long long>::value && Settable<short>::value &&
               Settable<unsigned short>::value && Settable<signed char>::value &&
               Settable<char>::value && Settable<unsigned char>::value && Settable<float>::value &&
               Settable<const char*>::value && Settable<std::string>::value),
              "every natural SetValue call resolves");
static_assert(!Settable<double>::value, "a double must be cut explicitly");
static_assert((Gettable<int>::value && Gettable<long>::value && Gettable<long long>::value &&
               Gettable<unsigned>::value && Gettable<unsigned long>::value &&
               Gettable<unsigned long long>::value && Gettable<short>::value &&
               Gettable<unsigned short>::value && Gettable<char>::value &&
               Gettable<unsigned char>::value && Gettable<float>::value &&
               Gettable<std::string>::value),
              "every natural GetValue call resolves");

}  // namespace
