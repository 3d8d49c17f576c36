// The invoke operations of the map methods and of FullPathAPI's getComponentNames.
//
// Every instance method first finds its self element (InvalidHandle when there is none), then
// converts all its UUID inputs in input order, so that malformed text (boost::bad_lexical_cast)
// leaves the model untouched even when an earlier input was valid, and only then calls the
// model operation. Elements are held by counted handles, released on return and unwinding.

#include <string>
#include <vector>

#include "methods.hpp"
#include "olan/factory/strings.hpp"

namespace arvex::utilities::zi {

namespace {

/// Stores a result in output slot 0 when the caller takes one; the result counts either way.
void putOutput(int& outputCount, olan::Value* outputs, olan::Value value) {
    outputCount = 1;
    if (outputs != nullptr) {
        outputs[0] = std::move(value);
    }
}

void putFlag(int& outputCount, olan::Value* outputs, bool flag) {
    outputCount = 1;
    if (outputs != nullptr) {
        outputs[0] = flag;
    }
}

}  // namespace

// ---- FullPathAPI ------------------------------------------------------------------------------

void FullPathAPIWrapper::GetComponentNames::invoke(int& outputCount, olan::Value* outputs,
                                                   int inputCount, zvArray const* const* inputs) {
    std::u16string const path = olan::factory::extractString(inputCount > 0 ? inputs[0] : nullptr);
    std::vector<std::u16string> const names = FullPathAPI::getComponentNames(path);
    outputCount = 1;
    if (outputs != nullptr) {
        olan::Value cell(zvCreateCellArray(2, {1, names.size()}));
        for (std::size_t i = 0; i < names.size(); ++i) {
            zvSetCell(cell.get(), i, zvCreateString_UTF16(names[i]));
        }
        outputs[0] = std::move(cell);
    }
}

// ---- UUIDMap ----------------------------------------------------------------------------------

void UUIDMapWrapper::InsertPair::invoke(int& outputCount, olan::Value*, int inputCount,
                                        zvArray const* const* inputs) {
    UUIDMap const self = selfElement<UUIDMap>(inputCount, inputs, UUIDMapClassName);
    auto const key = uuidOfInput(inputs[1]);
    auto const value = uuidOfInput(inputs[2]);
    self->insertPair(key, value);
    outputCount = 0;
}

void UUIDMapWrapper::ErasePairForKey::invoke(int& outputCount, olan::Value*, int inputCount,
                                             zvArray const* const* inputs) {
    UUIDMap const self = selfElement<UUIDMap>(inputCount, inputs, UUIDMapClassName);
    self->erasePairForKey(uuidOfInput(inputs[1]));
    outputCount = 0;
}

void UUIDMapWrapper::ErasePairsForValue::invoke(int& outputCount, olan::Value*, int inputCount,
                                                zvArray const* const* inputs) {
    UUIDMap const self = selfElement<UUIDMap>(inputCount, inputs, UUIDMapClassName);
    self->erasePairsForValue(uuidOfInput(inputs[1]));
    outputCount = 0;
}

void UUIDMapWrapper::FindValueForKey::invoke(int& outputCount, olan::Value* outputs, int inputCount,
                                             zvArray const* const* inputs) {
    UUIDMap const self = selfElement<UUIDMap>(inputCount, inputs, UUIDMapClassName);
    putOutput(outputCount, outputs, uuidText(self->findValueForKey(uuidOfInput(inputs[1]))));
}

void UUIDMapWrapper::HasKey::invoke(int& outputCount, olan::Value* outputs, int inputCount,
                                    zvArray const* const* inputs) {
    UUIDMap const self = selfElement<UUIDMap>(inputCount, inputs, UUIDMapClassName);
    putFlag(outputCount, outputs, self->hasKey(uuidOfInput(inputs[1])));
}

// ---- UUIDMultiMap -----------------------------------------------------------------------------

void UUIDMultiMapWrapper::InsertPair::invoke(int& outputCount, olan::Value*, int inputCount,
                                             zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    auto const key = uuidOfInput(inputs[1]);
    auto const value = uuidOfInput(inputs[2]);
    self->insertPair(key, value);
    outputCount = 0;
}

void UUIDMultiMapWrapper::ErasePairsForKey::invoke(int& outputCount, olan::Value*, int inputCount,
                                                   zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    self->erasePairsForKey(uuidOfInput(inputs[1]));
    outputCount = 0;
}

void UUIDMultiMapWrapper::ErasePairsKeyAndValue::invoke(int& outputCount, olan::Value*,
                                                        int inputCount,
                                                        zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    auto const key = uuidOfInput(inputs[1]);
    auto const value = uuidOfInput(inputs[2]);
    self->erasePairsKeyAndValue(key, value);
    outputCount = 0;
}

void UUIDMultiMapWrapper::ErasePairsForValue::invoke(int& outputCount, olan::Value*, int inputCount,
                                                     zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    self->erasePairsForValue(uuidOfInput(inputs[1]));
    outputCount = 0;
}

void UUIDMultiMapWrapper::FindValuesForKey::invoke(int& outputCount, olan::Value* outputs,
                                                   int inputCount, zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    auto const values = self->findValuesForKey(uuidOfInput(inputs[1]));
    putOutput(outputCount, outputs, uuidCell(values));
}

void UUIDMultiMapWrapper::HasKey::invoke(int& outputCount, olan::Value* outputs, int inputCount,
                                         zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    putFlag(outputCount, outputs, self->hasKey(uuidOfInput(inputs[1])));
}

// ---- UUIDToUUIDMap ----------------------------------------------------------------------------

void UUIDToUUIDMapWrapper::InsertPair::invoke(int& outputCount, olan::Value*, int inputCount,
                                              zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    auto const containerKey = uuidOfInput(inputs[1]);
    auto const key = uuidOfInput(inputs[2]);
    auto const value = uuidOfInput(inputs[3]);
    self->insertPair(containerKey, key, value);
    outputCount = 0;
}

void UUIDToUUIDMapWrapper::ErasePairForKey::invoke(int& outputCount, olan::Value*, int inputCount,
                                                   zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    self->erasePairForKey(uuidOfInput(inputs[1]));
    outputCount = 0;
}

void UUIDToUUIDMapWrapper::ErasePairForKeys::invoke(int& outputCount, olan::Value*, int inputCount,
                                                    zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    auto const containerKey = uuidOfInput(inputs[1]);
    auto const key = uuidOfInput(inputs[2]);
    self->erasePairForKeys(containerKey, key);
    outputCount = 0;
}

void UUIDToUUIDMapWrapper::FindValueForKey::invoke(int& outputCount, olan::Value* outputs,
                                                   int inputCount, zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    UUIDMap const inner = self->findValueForKey(uuidOfInput(inputs[1]));
    outputCount = 1;
    if (outputs != nullptr) {
        outputs[0] = bindForOutput(inner.getImpl(), UUIDMapClassName);
    }
}

void UUIDToUUIDMapWrapper::FindValuesWithSubKey::invoke(int& outputCount, olan::Value* outputs,
                                                        int inputCount,
                                                        zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    auto const values = self->findValuesWithSubKey(uuidOfInput(inputs[1]));
    putOutput(outputCount, outputs, uuidCell(values));
}

void UUIDToUUIDMapWrapper::FindValueForKeys::invoke(int& outputCount, olan::Value* outputs,
                                                    int inputCount, zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    auto const containerKey = uuidOfInput(inputs[1]);
    auto const key = uuidOfInput(inputs[2]);
    putOutput(outputCount, outputs, uuidText(self->findValueForKeys(containerKey, key)));
}

void UUIDToUUIDMapWrapper::HasKey::invoke(int& outputCount, olan::Value* outputs, int inputCount,
                                          zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    putFlag(outputCount, outputs, self->hasKey(uuidOfInput(inputs[1])));
}

}  // namespace arvex::utilities::zi
