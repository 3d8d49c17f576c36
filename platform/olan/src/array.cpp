#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>
#include <string>

#include "array_impl.hpp"
#include "olan/errors.hpp"
#include "olan/object.hpp"
#include "state.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/text.hpp"

namespace {

using olan::raiseHostError;
namespace errors = olan::errors;

// Owns a fresh array until it is handed out, so that a failure while filling it leaks nothing.
using Fresh = std::unique_ptr<zvArray, void (*)(zvArray*)>;

// The result of a text conversion; text that is not well-formed is the host's error.
template <class Convert>
auto converted(Convert convert) {
    try {
        return convert();
    } catch (tarsk::core::except::Exception<tarsk::core::text::IllFormedText> const& e) {
        raiseHostError(errors::IllFormedText, e.getText());
    }
}

Fresh fresh(int code, std::vector<std::size_t> dims) {
    if (dims.size() < 2) {
        raiseHostError(errors::InvalidDimensions, "an array has at least two dimensions");
    }
    Fresh array(new zvArray, zvDestroyArray);
    array->code = code;
    array->dims = std::move(dims);
    return array;
}

std::vector<std::size_t> dimsOf(int ndims, const std::size_t* dims) {
    if (ndims < 2 || dims == nullptr) {
        raiseHostError(errors::InvalidDimensions, "an array has at least two dimensions");
    }
    return {dims, dims + ndims};
}

std::size_t count(const zvArray& array) {
    return std::accumulate(array.dims.begin(), array.dims.end(), std::size_t{1},
                           std::multiplies<>());
}

const zvArray& checked(const zvArray* array) {
    if (array == nullptr) {
        raiseHostError(errors::WrongClass, "no array");
    }
    return *array;
}

const zvArray& ofClass(const zvArray* array, int code, const char* what) {
    const zvArray& a = checked(array);
    if (a.code != code) {
        raiseHostError(errors::WrongClass, std::string("expected ") + what);
    }
    return a;
}

zvArray& writable(zvArray* array, int code, const char* what) {
    const zvArray& a = ofClass(array, code, what);
    if (a.lentCount > 0) {
        raiseHostError(errors::LentArray, "a lent array cannot be changed");
    }
    return *array;
}

void checkIndex(const zvArray& array, std::size_t index) {
    if (index >= count(array)) {
        raiseHostError(errors::IndexOutOfRange, std::to_string(index));
    }
}

void destroyContents(zvArray& array) noexcept {
    for (zvArray* cell : array.cells) {
        zvDestroyArray(cell);
    }
    for (auto& [name, values] : array.fields) {
        for (zvArray* value : values) {
            zvDestroyArray(value);
        }
    }
    for (olan::Object* object : array.objects) {
        olan::detail::ObjectAccess::release(*object);
    }
}

zvArray* copy(const zvArray& source) {
    Fresh result = fresh(source.code, source.dims);
    result->doubles = source.doubles;
    result->logicals = source.logicals;
    result->chars = source.chars;
    result->objectClass = source.objectClass;
    result->cells.assign(source.cells.size(), nullptr);
    for (std::size_t i = 0; i < source.cells.size(); ++i) {
        if (source.cells[i]) {
            result->cells[i] = copy(*source.cells[i]);
        }
    }
    for (const auto& [name, values] : source.fields) {
        result->fields.emplace_back(name, std::vector<zvArray*>(values.size(), nullptr));
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i]) {
                result->fields.back().second[i] = copy(*values[i]);
            }
        }
    }
    for (olan::Object* object : source.objects) {
        olan::detail::ObjectAccess::retain(*object);
        result->objects.push_back(object);
    }
    return result.release();
}

// Values that cannot be owned by `container` are refused before ownership passes: a lent array
// (it stays the caller's) and the container itself.
void refuseForeignValue(const zvArray* value, const zvArray* container) {
    if (value != nullptr && value->lentCount > 0) {
        raiseHostError(errors::LentArray, "a lent array belongs to the caller");
    }
    if (value != nullptr && value == container) {
        raiseHostError(errors::WrongClass, "an array cannot hold itself");
    }
}

int fieldIndex(const zvArray& array, std::string_view name) {
    for (std::size_t f = 0; f < array.fields.size(); ++f) {
        if (array.fields[f].first == name) {
            return static_cast<int>(f);
        }
    }
    return -1;
}

void checkFieldName(std::string_view name) {
    if (name.empty()) {
        raiseHostError(errors::InvalidName, "a field needs a name");
    }
}

}  // namespace

zvArray* zvCreateDouble(double value) {
    Fresh array = fresh(zvCodeDouble, {1, 1});
    array->doubles.assign(1, value);
    return array.release();
}

zvArray* zvCreateDoubleArray(int ndims, const std::size_t* dims) {
    Fresh array = fresh(zvCodeDouble, dimsOf(ndims, dims));
    array->doubles.assign(count(*array), 0.0);
    return array.release();
}

zvArray* zvCreateEmpty() {
    return fresh(zvCodeDouble, {0, 0}).release();
}

zvArray* zvCreateLogical(bool value) {
    Fresh array = fresh(zvCodeLogical, {1, 1});
    array->logicals.assign(1, value ? 1 : 0);
    return array.release();
}

zvArray* zvCreateString_UTF16(std::u16string_view text) {
    Fresh array = fresh(zvCodeChar, {1, text.size()});
    array->chars.assign(text);
    return array.release();
}

zvArray* zvCreateString_UTF8(std::string_view text) {
    return zvCreateString_UTF16(converted([&] { return tarsk::core::text::toUtf16(text); }));
}

zvArray* zvCreateCellArray(int ndims, const std::size_t* dims) {
    Fresh array = fresh(zvCodeCell, dimsOf(ndims, dims));
    array->cells.assign(count(*array), nullptr);
    return array.release();
}

zvArray* zvCreateCellArray(int ndims, std::initializer_list<std::size_t> dims) {
    if (ndims < 0 || static_cast<std::size_t>(ndims) != dims.size()) {
        raiseHostError(errors::InvalidDimensions, "dimension count does not match");
    }
    return zvCreateCellArray(ndims, dims.begin());
}

zvArray* zvCreateStructArray(int ndims, const std::size_t* dims,
                             std::initializer_list<std::string_view> fieldNames) {
    Fresh array = fresh(zvCodeStruct, dimsOf(ndims, dims));
    for (std::string_view name : fieldNames) {
        zvAddField(array.get(), name);
    }
    return array.release();
}

zvArray* zvCreateStruct(std::initializer_list<std::string_view> fieldNames) {
    const std::size_t dims[] = {1, 1};
    return zvCreateStructArray(2, dims, fieldNames);
}

zvArray* zvCreateObjectValue(olan::Object& object) {
    return olan::detail::createObjectArray(&object, object.className());
}

zvArray* zvDuplicateArray(const zvArray* array) {
    return copy(checked(array));
}

void zvDestroyArray(zvArray* array) {
    if (array == nullptr) {
        return;
    }
    if (array->lentCount > 0) {
        raiseHostError(errors::LentArray, "a lent array belongs to the caller");
    }
    destroyContents(*array);
    delete array;
}

int zvGetClassCode(const zvArray* array) {
    const zvArray& a = checked(array);
    return a.code | (a.lentCount > 0 ? zvFlagLent : 0);
}

int zvGetDimensionCount(const zvArray* array) {
    return static_cast<int>(checked(array).dims.size());
}

const std::size_t* zvGetDimensions(const zvArray* array) {
    return checked(array).dims.data();
}

std::size_t zvGetElementCount(const zvArray* array) {
    return count(checked(array));
}

bool zvIsEmpty(const zvArray* array) {
    return zvGetElementCount(array) == 0;
}

double zvGetDouble(const zvArray* array, std::size_t index) {
    const zvArray& a = ofClass(array, zvCodeDouble, "a double array");
    checkIndex(a, index);
    return a.doubles[index];
}

void zvSetDouble(zvArray* array, std::size_t index, double value) {
    zvArray& a = writable(array, zvCodeDouble, "a double array");
    checkIndex(a, index);
    a.doubles[index] = value;
}

bool zvGetLogical(const zvArray* array, std::size_t index) {
    const zvArray& a = ofClass(array, zvCodeLogical, "a logical array");
    checkIndex(a, index);
    return a.logicals[index] != 0;
}

const char16_t* zvGetChars(const zvArray* array) {
    return ofClass(array, zvCodeChar, "a char array").chars.data();
}

std::u16string zvGetString_UTF16(const zvArray* array) {
    return ofClass(array, zvCodeChar, "a char array").chars;
}

std::string zvGetString_UTF8(const zvArray* array) {
    std::u16string const text = zvGetString_UTF16(array);
    return converted([&] { return tarsk::core::text::toUtf8(text); });
}

const zvArray* zvGetCell(const zvArray* cell, std::size_t index) {
    const zvArray& a = ofClass(cell, zvCodeCell, "a cell array");
    checkIndex(a, index);
    return a.cells[index];
}

void zvSetCell(zvArray* cell, std::size_t index, zvArray* value) {
    refuseForeignValue(value, cell);
    Fresh owned(value, zvDestroyArray);
    zvArray& a = writable(cell, zvCodeCell, "a cell array");
    checkIndex(a, index);
    zvDestroyArray(std::exchange(a.cells[index], owned.release()));
}

int zvGetFieldCount(const zvArray* structArray) {
    return static_cast<int>(ofClass(structArray, zvCodeStruct, "a struct array").fields.size());
}

std::string zvGetFieldName(const zvArray* structArray, int field) {
    const zvArray& a = ofClass(structArray, zvCodeStruct, "a struct array");
    if (field < 0 || static_cast<std::size_t>(field) >= a.fields.size()) {
        raiseHostError(errors::IndexOutOfRange, std::to_string(field));
    }
    return a.fields[static_cast<std::size_t>(field)].first;
}

int zvFindField(const zvArray* structArray, std::string_view name) {
    return fieldIndex(ofClass(structArray, zvCodeStruct, "a struct array"), name);
}

int zvAddField(zvArray* structArray, std::string_view name) {
    zvArray& a = writable(structArray, zvCodeStruct, "a struct array");
    checkFieldName(name);
    int existing = fieldIndex(a, name);
    if (existing >= 0) {
        return existing;
    }
    a.fields.emplace_back(std::string(name), std::vector<zvArray*>(count(a), nullptr));
    return static_cast<int>(a.fields.size() - 1);
}

const zvArray* zvGetField(const zvArray* structArray, std::size_t index, std::string_view name) {
    const zvArray& a = ofClass(structArray, zvCodeStruct, "a struct array");
    checkIndex(a, index);
    int f = fieldIndex(a, name);
    return f < 0 ? nullptr : a.fields[static_cast<std::size_t>(f)].second[index];
}

void zvSetField(zvArray* structArray, std::size_t index, std::string_view name, zvArray* value) {
    refuseForeignValue(value, structArray);
    Fresh owned(value, zvDestroyArray);
    zvArray& a = writable(structArray, zvCodeStruct, "a struct array");
    checkIndex(a, index);
    auto f = static_cast<std::size_t>(zvAddField(structArray, name));
    zvDestroyArray(std::exchange(a.fields[f].second[index], owned.release()));
}

olan::Object* omGetArrayElement(const zvArray* array, std::size_t index) {
    if (array == nullptr || array->code != zvCodeObject || index >= array->objects.size()) {
        return nullptr;
    }
    return array->objects[index];
}

namespace olan::detail {

zvArray* createObjectArray(Object* object, InternedName className) {
    Fresh array = fresh(zvCodeObject, {object ? 1u : 0u, object ? 1u : 0u});
    array->objectClass = className;
    if (object) {
        // The array holds its reference only once the slot exists: a failed push_back leaves
        // the object's count as it was, so that its owner's clean-up deletes it.
        array->objects.push_back(object);
        ObjectAccess::retain(*object);
    }
    return array.release();
}

LendGuard::LendGuard(const std::vector<const zvArray*>& arrays) : arrays_(arrays) {
    for (const zvArray* array : arrays_) {
        if (array) {
            ++array->lentCount;
        }
    }
}

LendGuard::~LendGuard() {
    for (const zvArray* array : arrays_) {
        if (array) {
            --array->lentCount;
        }
    }
}

}  // namespace olan::detail
