// Host values named in messages.

#include "korm/zero/zi/value_text.hpp"

#include <cstdio>
#include <string_view>

#include "olan/object.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::zi::detail {

namespace {

constexpr std::size_t kShownCodeUnits = 64;

std::u16string widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string quotedText(zvArray const* value) {
    std::u16string text = zvGetString_UTF16(value);
    if (text.size() > kShownCodeUnits) {
        text.resize(kShownCodeUnits);
        text += u"...";
    }
    return u"\"" + text + u"\"";
}

std::u16string shapeOf(zvArray const* value) {
    std::string shape;
    std::size_t const* dims = zvGetDimensions(value);
    for (int i = 0, n = zvGetDimensionCount(value); i < n; ++i) {
        shape += (i == 0 ? "" : "-by-") + std::to_string(dims[i]);
    }
    return widen(shape);
}

std::u16string className(int code) {
    switch (code) {
        case zvCodeDouble:
            return u"double";
        case zvCodeStruct:
            return u"struct";
        case zvCodeChar:
            return u"char";
        case zvCodeLogical:
            return u"logical";
        case zvCodeCell:
            return u"cell";
        case zvCodeObject:
            return u"object";
        default:
            return u"unknown";
    }
}

}  // namespace

std::u16string describeValue(zvArray const* value) {
    if (value == nullptr) {
        return u"<no value>";
    }
    int const code = zvGetClassCode(value) & ~zvFlagLent;
    bool const scalar = zvGetElementCount(value) == 1;
    if (code == zvCodeChar && zvGetDimensionCount(value) == 2 && zvGetDimensions(value)[0] <= 1) {
        return quotedText(value);
    }
    if (code == zvCodeDouble && scalar) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", zvGetDouble(value, 0));
        return widen(buffer);
    }
    if (code == zvCodeLogical && scalar) {
        return zvGetLogical(value, 0) ? u"true" : u"false";
    }
    olan::Object const* const object = scalar ? omGetArrayElement(value, 0) : nullptr;
    if (object != nullptr) {
        return u"<object of class " + tarsk::core::text::toUtf16(object->className().view()) + u">";
    }
    return u"<" + shapeOf(value) + u" " + className(code) + u" array>";
}

}  // namespace korm::zero::zi::detail
