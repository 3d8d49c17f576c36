#include "olan/factory/strings.hpp"

#include "olan/errors.hpp"
#include "state.hpp"

namespace olan::factory {

std::u16string extractString(const zvArray* value) {
    if (value == nullptr) {
        raiseHostError(errors::StringExpected, "no value");
    }
    if ((zvGetClassCode(value) & ~zvFlagLent) == zvCodeChar) {
        return zvGetString_UTF16(value);
    }
    if (zvIsEmpty(value)) {
        return {};
    }
    raiseHostError(errors::StringExpected);
}

std::u16string Marshaler<UnicodeStringPolicy>::FromM(const zvArray* value) {
    return extractString(value);
}

zvArray* Marshaler<UnicodeStringPolicy>::ToM(const std::u16string& text) {
    return zvCreateString_UTF16(text);
}

std::vector<std::u16string> Marshaler<UnicodeStringVectorPolicy>::FromM(const zvArray* value) {
    if (value == nullptr || (zvGetClassCode(value) & ~zvFlagLent) != zvCodeCell) {
        std::u16string text = extractString(value);
        if ((zvGetClassCode(value) & ~zvFlagLent) != zvCodeChar) {
            return {};  // an empty array of another class: no texts
        }
        return {std::move(text)};
    }
    std::vector<std::u16string> texts;
    std::size_t n = zvGetElementCount(value);
    texts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const zvArray* cell = zvGetCell(value, i);
        texts.push_back(cell ? extractString(cell) : std::u16string());
    }
    return texts;
}

zvArray* Marshaler<UnicodeStringVectorPolicy>::ToM(const std::vector<std::u16string>& texts) {
    Value cells(zvCreateCellArray(2, {1, texts.size()}));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        zvSetCell(cells.get(), i, zvCreateString_UTF16(texts[i]));
    }
    return cells.release();
}

namespace detail {

void initStringDataTypes() {
    auto& types = olan::detail::state().dataTypes;
    types.insert(StringScalarType);
    types.insert(StringVectorType);
}

}  // namespace detail

}  // namespace olan::factory
