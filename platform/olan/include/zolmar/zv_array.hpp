#pragma once

// Host arrays. Every value the host hands to or takes from a method, constructor or property is a
// `zvArray`: a class code, dimensions (at least two) and the data. The element count is the
// product of the dimensions.
//
// Class codes (zvGetClassCode masks nothing; mask zvFlagLent to compare codes):
//   zvCodeUnknown 0, zvCodeDouble 1, zvCodeStruct 2, zvCodeChar 3 (UTF-16 code units),
//   zvCodeLogical 4, zvCodeCell 5, zvCodeObject 6 (host objects of handle classes).
// Bit 16 (zvFlagLent) is set while the host lends the array to a call as an input: such an array
// belongs to the caller and is read-only for the callee (zvSetCell, zvSetField, zvSetDouble and
// zvDestroyArray refuse it).
//
// Ownership: every zvCreate* and zvDuplicateArray result belongs to the caller, who either
// destroys it with zvDestroyArray or hands it on to a function that takes ownership (zvSetCell,
// zvSetField, an olan::Value). Getters (zvGetCell, zvGetField) return borrowed pointers that
// stay valid while their container lives and the slot is not replaced.
//
// Misuse (wrong class, index out of range, a lent array changed) raises olan::HostError with an
// identifier of the component "Zolmar:array".

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "olan/export.hpp"

namespace olan {
class Object;
}

/// A host array; opaque, handled through the functions below.
struct zvArray;

inline constexpr int zvCodeUnknown = 0;
inline constexpr int zvCodeDouble = 1;
inline constexpr int zvCodeStruct = 2;
inline constexpr int zvCodeChar = 3;
inline constexpr int zvCodeLogical = 4;
inline constexpr int zvCodeCell = 5;
inline constexpr int zvCodeObject = 6;
inline constexpr int zvFlagLent = 1 << 16;

// ---- creation -------------------------------------------------------------------------------

/// A 1-by-1 double.
OLAN_EXPORT zvArray* zvCreateDouble(double value);
/// A zero-filled double array; `ndims` >= 2.
OLAN_EXPORT zvArray* zvCreateDoubleArray(int ndims, const std::size_t* dims);
/// The host's empty value: a 0-by-0 double array.
OLAN_EXPORT zvArray* zvCreateEmpty();
/// A 1-by-1 logical.
OLAN_EXPORT zvArray* zvCreateLogical(bool value);
/// A 1-by-n char array holding the UTF-16 code units of `text` (1-by-0 for empty text).
OLAN_EXPORT zvArray* zvCreateString_UTF16(std::u16string_view text);
/// As zvCreateString_UTF16 of the UTF-16 form of the UTF-8 `text`; Zolmar:array:IllFormedText
/// when `text` is not well-formed UTF-8.
OLAN_EXPORT zvArray* zvCreateString_UTF8(std::string_view text);
/// A cell array with every cell unset (read back as null); `ndims` >= 2.
OLAN_EXPORT zvArray* zvCreateCellArray(int ndims, const std::size_t* dims);
/// As above, for `zvCreateCellArray(2, {1, n})`; `dims` must hold `ndims` values.
OLAN_EXPORT zvArray* zvCreateCellArray(int ndims, std::initializer_list<std::size_t> dims);
/// A struct array with the given fields, every field of every element unset.
OLAN_EXPORT zvArray* zvCreateStructArray(int ndims, const std::size_t* dims,
                                         std::initializer_list<std::string_view> fieldNames);
/// A 1-by-1 struct with the given fields, all unset.
OLAN_EXPORT zvArray* zvCreateStruct(std::initializer_list<std::string_view> fieldNames);
/// A 1-by-1 object array holding one more host reference to `object`.
OLAN_EXPORT zvArray* zvCreateObjectValue(olan::Object& object);
/// A deep copy; object elements are shared (one more host reference each), not copied.
OLAN_EXPORT zvArray* zvDuplicateArray(const zvArray* array);
/// Destroys an owned array and everything it holds; drops the host references of its objects.
/// Null is ignored. Refuses a lent array.
OLAN_EXPORT void zvDestroyArray(zvArray* array);

// ---- shape ----------------------------------------------------------------------------------

/// The class code, with zvFlagLent set while the array is lent to a call.
OLAN_EXPORT int zvGetClassCode(const zvArray* array);
OLAN_EXPORT int zvGetDimensionCount(const zvArray* array);
OLAN_EXPORT const std::size_t* zvGetDimensions(const zvArray* array);
/// The product of the dimensions.
OLAN_EXPORT std::size_t zvGetElementCount(const zvArray* array);
OLAN_EXPORT bool zvIsEmpty(const zvArray* array);

// ---- data -----------------------------------------------------------------------------------

OLAN_EXPORT double zvGetDouble(const zvArray* array, std::size_t index);
OLAN_EXPORT void zvSetDouble(zvArray* array, std::size_t index, double value);
OLAN_EXPORT bool zvGetLogical(const zvArray* array, std::size_t index);
/// The UTF-16 code units of a char array (zvGetElementCount of them), in storage order.
OLAN_EXPORT const char16_t* zvGetChars(const zvArray* array);
/// The text of a char array.
OLAN_EXPORT std::u16string zvGetString_UTF16(const zvArray* array);
/// The text of a char array as UTF-8; Zolmar:array:IllFormedText when it is not well-formed.
OLAN_EXPORT std::string zvGetString_UTF8(const zvArray* array);

/// Cell `index` of a cell array, or null when unset. Borrowed.
OLAN_EXPORT const zvArray* zvGetCell(const zvArray* cell, std::size_t index);
/// Stores `value` (owned; null unsets) in cell `index`, destroying what was there. Takes
/// ownership of `value` even when it raises, except for a lent array or the cell array itself,
/// which are refused untouched.
OLAN_EXPORT void zvSetCell(zvArray* cell, std::size_t index, zvArray* value);

OLAN_EXPORT int zvGetFieldCount(const zvArray* structArray);
OLAN_EXPORT std::string zvGetFieldName(const zvArray* structArray, int field);
/// The number of a field, or -1.
OLAN_EXPORT int zvFindField(const zvArray* structArray, std::string_view name);
/// Adds a field (unset in every element) unless present; returns its number.
OLAN_EXPORT int zvAddField(zvArray* structArray, std::string_view name);
/// Field `name` of element `index`, or null when the field is absent or unset. Borrowed.
OLAN_EXPORT const zvArray* zvGetField(const zvArray* structArray, std::size_t index,
                                      std::string_view name);
/// Stores `value` (owned) in field `name` of element `index`, adding the field if absent.
/// Takes ownership of `value` as zvSetCell does.
OLAN_EXPORT void zvSetField(zvArray* structArray, std::size_t index, std::string_view name,
                            zvArray* value);

/// Element `index` of an object array: the host object (borrowed), or null when `array` is null,
/// no object array, or has no element `index`.
OLAN_EXPORT olan::Object* omGetArrayElement(const zvArray* array, std::size_t index);
