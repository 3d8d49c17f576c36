#pragma once

// Text of host values, and the string data types of method signatures.

#include <string>
#include <vector>

#include "olan/export.hpp"
#include "zolmar/zv_array.hpp"

namespace olan::factory {

/// The UTF-16 text of a host value: the code units of a char array; empty text for an empty
/// array of any class. Anything else raises StringExpected.
OLAN_EXPORT std::u16string extractString(const zvArray* value);

/// Marshaler policies: UTF-16 text, and lists of UTF-16 texts (1-by-n cell arrays of strings).
struct UnicodeStringPolicy {
    using NativeType = std::u16string;
};
struct UnicodeStringVectorPolicy {
    using NativeType = std::vector<std::u16string>;
};

/// Conversion between host values (M) and native values of a policy.
template <class Policy>
struct Marshaler;

template <>
struct OLAN_EXPORT Marshaler<UnicodeStringPolicy> {
    /// extractString of the value.
    static std::u16string FromM(const zvArray* value);
    /// A new char array (owned by the caller).
    static zvArray* ToM(const std::u16string& text);
};

template <>
struct OLAN_EXPORT Marshaler<UnicodeStringVectorPolicy> {
    /// The texts of a cell array of strings (unset cells give empty text); a single string gives
    /// one text. Anything else raises StringExpected.
    static std::vector<std::u16string> FromM(const zvArray* value);
    /// A new 1-by-n cell array of char arrays (owned by the caller).
    static zvArray* ToM(const std::vector<std::u16string>& texts);
};

namespace detail {
/// The signature type names of text: "OlanFactoryString scalar" (one string) and
/// "OlanFactoryString vector" (a list of strings).
inline constexpr const char* StringScalarType = "OlanFactoryString scalar";
inline constexpr const char* StringVectorType = "OlanFactoryString vector";

/// Makes the string data types known to the class system; a definition using them before this
/// call is refused (UnknownType). Idempotent.
OLAN_EXPORT void initStringDataTypes();
}  // namespace detail

}  // namespace olan::factory
