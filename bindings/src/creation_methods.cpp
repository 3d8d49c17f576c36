// The invoke operations that create elements: the six constructors and the createInto methods.
//
// A createInto method chooses a builder and a UUID from its inputs and hands them to the
// model's own createIntoPairs / createIntoValue, which make the element in the self element's
// model and attach it in one transaction: a map files the entry in its "Pairs" (a key held by
// another entry of a UUIDMap or UUIDToUUIDMap raises UniquenessConstraint and leaves nothing
// behind; a multimap files it beside the others), an entry of UUIDToUUIDMap takes the new map
// as its "Value".

#include <string>
#include <string_view>
#include <utility>

#include "arvex/utilities/builders.hpp"
#include "methods.hpp"

namespace arvex::utilities::zi {

namespace {

void putElement(int& outputCount, olan::Value* outputs, kz::ModelElement::Impl* element,
                char const* declaredClassName) {
    outputCount = 1;
    if (outputs != nullptr) {
        outputs[0] = bindForOutput(element, declaredClassName);
    }
}

/// "Name" of "package.Name".
std::string lastPart(std::string_view qualifiedName) {
    return std::string(qualifiedName.substr(qualifiedName.rfind('.') + 1));
}

}  // namespace

// ---- constructors -----------------------------------------------------------------------------

ConstructorMethod::ConstructorMethod(kz::meta::Class (*metaClass)(), char const* className)
    : WrapperMethod(lastPart(className), 0, ConstructorArguments, className,
                    {korm::zero::zi::ModelClassName, "any", "any"}, 2)
    , m_metaClass(metaClass)
    , m_className(className) {}

void ConstructorMethod::invoke(int& outputCount, olan::Value* outputs, int inputCount,
                               zvArray const* const* inputs) {
    construct(m_metaClass(), m_className, outputCount, outputs, inputCount, inputs);
}

// ---- createInto -------------------------------------------------------------------------------

void UUIDMapWrapper::CreateIntoPairs::invoke(int& outputCount, olan::Value* outputs, int inputCount,
                                             zvArray const* const* inputs) {
    UUIDMap const self = selfElement<UUIDMap>(inputCount, inputs, UUIDMapClassName);
    CreationInputs creation =
        creationInputs(self->getModel(), UUIDMapEntry::metaClass(), inputCount, inputs);
    UUIDMapEntry const entry = self->createIntoPairs(
        UUIDMapEntry::BuilderWrapper(std::move(creation.builder)), creation.id);
    putElement(outputCount, outputs, entry.getImpl(), UUIDMapEntryClassName);
}

void UUIDMultiMapWrapper::CreateIntoPairs::invoke(int& outputCount, olan::Value* outputs,
                                                  int inputCount, zvArray const* const* inputs) {
    UUIDMultiMap const self = selfElement<UUIDMultiMap>(inputCount, inputs, UUIDMultiMapClassName);
    CreationInputs creation =
        creationInputs(self->getModel(), UUIDMapEntry::metaClass(), inputCount, inputs);
    UUIDMapEntry const entry = self->createIntoPairs(
        UUIDMapEntry::BuilderWrapper(std::move(creation.builder)), creation.id);
    putElement(outputCount, outputs, entry.getImpl(), UUIDMapEntryClassName);
}

void UUIDToUUIDMapWrapper::CreateIntoPairs::invoke(int& outputCount, olan::Value* outputs,
                                                   int inputCount, zvArray const* const* inputs) {
    auto const self = selfElement<UUIDToUUIDMap>(inputCount, inputs, UUIDToUUIDMapClassName);
    CreationInputs creation =
        creationInputs(self->getModel(), UUIDToUUIDMapEntry::metaClass(), inputCount, inputs);
    UUIDToUUIDMapEntry const entry = self->createIntoPairs(
        UUIDToUUIDMapEntry::BuilderWrapper(std::move(creation.builder)), creation.id);
    putElement(outputCount, outputs, entry.getImpl(), UUIDToUUIDMapEntryClassName);
}

void UUIDToUUIDMapEntryWrapper::CreateIntoValue::invoke(int& outputCount, olan::Value* outputs,
                                                        int inputCount,
                                                        zvArray const* const* inputs) {
    auto const self =
        selfElement<UUIDToUUIDMapEntry>(inputCount, inputs, UUIDToUUIDMapEntryClassName);
    CreationInputs creation =
        creationInputs(self->getModel(), UUIDMap::metaClass(), inputCount, inputs);
    UUIDMap const map =
        self->createIntoValue(UUIDMap::BuilderWrapper(std::move(creation.builder)), creation.id);
    putElement(outputCount, outputs, map.getImpl(), UUIDMapClassName);
}

}  // namespace arvex::utilities::zi
