// The six class descriptions and their define-members operations.

#include "arvex/utilities/bindings/wrappers.hpp"
#include "korm/zero/zi/binding.hpp"
#include "methods.hpp"
#include "olan/factory/strings.hpp"
#include "properties.hpp"

namespace arvex::utilities::zi {

namespace {

/// The first two steps of every definition: the superclass, then the string data types that
/// the signatures name.
void beginDefinition(olan::COSClassDefinition& definition) {
    definition.addSuperclass(interned(korm::zero::zi::ModelElementClassName), 1, 0, 1);
    olan::factory::detail::initStringDataTypes();
}

}  // namespace

FullPathAPIWrapper::FullPathAPIWrapper() : KORM0WrapperInfo("FullPathAPI", FullPathAPIClassName) {}

bool FullPathAPIWrapper::isAbstract() const {
    return false;
}

void FullPathAPIWrapper::defineMembers(olan::COSClassDefinition& definition) {
    beginDefinition(definition);
    definition.addMethod(new ConstructorMethod(&FullPathAPI::metaClass, FullPathAPIClassName));
    definition.addMethod(newStaticMetaClass(&FullPathAPI::metaClass));
    definition.addMethod(new GetComponentNames);
}

UUIDMapWrapper::UUIDMapWrapper() : KORM0WrapperInfo("UUIDMap", UUIDMapClassName) {}

bool UUIDMapWrapper::isAbstract() const {
    return false;
}

void UUIDMapWrapper::defineMembers(olan::COSClassDefinition& definition) {
    beginDefinition(definition);
    definition.addMethod(new ConstructorMethod(&UUIDMap::metaClass, UUIDMapClassName));
    definition.addProperty(properties::newUUIDMapPairs());
    definition.addMethod(new CreateIntoPairs);
    definition.addMethod(newStaticMetaClass(&UUIDMap::metaClass));
    definition.addMethod(new InsertPair);
    definition.addMethod(new ErasePairForKey);
    definition.addMethod(new ErasePairsForValue);
    definition.addMethod(new FindValueForKey);
    definition.addMethod(new HasKey);
}

UUIDMapEntryWrapper::UUIDMapEntryWrapper()
    : KORM0WrapperInfo("UUIDMapEntry", UUIDMapEntryClassName) {}

bool UUIDMapEntryWrapper::isAbstract() const {
    return false;
}

void UUIDMapEntryWrapper::defineMembers(olan::COSClassDefinition& definition) {
    beginDefinition(definition);
    definition.addMethod(new ConstructorMethod(&UUIDMapEntry::metaClass, UUIDMapEntryClassName));
    definition.addProperty(properties::newUUIDMapEntryKey());
    definition.addProperty(properties::newUUIDMapEntryValue());
    definition.addMethod(newStaticMetaClass(&UUIDMapEntry::metaClass));
}

UUIDMultiMapWrapper::UUIDMultiMapWrapper()
    : KORM0WrapperInfo("UUIDMultiMap", UUIDMultiMapClassName) {}

bool UUIDMultiMapWrapper::isAbstract() const {
    return false;
}

void UUIDMultiMapWrapper::defineMembers(olan::COSClassDefinition& definition) {
    beginDefinition(definition);
    definition.addMethod(new ConstructorMethod(&UUIDMultiMap::metaClass, UUIDMultiMapClassName));
    definition.addProperty(properties::newUUIDMultiMapPairs());
    definition.addMethod(new CreateIntoPairs);
    definition.addMethod(newStaticMetaClass(&UUIDMultiMap::metaClass));
    definition.addMethod(new InsertPair);
    definition.addMethod(new ErasePairsForKey);
    definition.addMethod(new ErasePairsKeyAndValue);
    definition.addMethod(new ErasePairsForValue);
    definition.addMethod(new FindValuesForKey);
    definition.addMethod(new HasKey);
}

UUIDToUUIDMapWrapper::UUIDToUUIDMapWrapper()
    : KORM0WrapperInfo("UUIDToUUIDMap", UUIDToUUIDMapClassName) {}

bool UUIDToUUIDMapWrapper::isAbstract() const {
    return false;
}

void UUIDToUUIDMapWrapper::defineMembers(olan::COSClassDefinition& definition) {
    beginDefinition(definition);
    definition.addMethod(new ConstructorMethod(&UUIDToUUIDMap::metaClass, UUIDToUUIDMapClassName));
    definition.addProperty(properties::newUUIDToUUIDMapPairs());
    definition.addMethod(new CreateIntoPairs);
    definition.addMethod(newStaticMetaClass(&UUIDToUUIDMap::metaClass));
    definition.addMethod(new InsertPair);
    definition.addMethod(new ErasePairForKey);
    definition.addMethod(new ErasePairForKeys);
    definition.addMethod(new FindValueForKey);
    definition.addMethod(new FindValuesWithSubKey);
    definition.addMethod(new FindValueForKeys);
    definition.addMethod(new HasKey);
}

UUIDToUUIDMapEntryWrapper::UUIDToUUIDMapEntryWrapper()
    : KORM0WrapperInfo("UUIDToUUIDMapEntry", UUIDToUUIDMapEntryClassName) {}

bool UUIDToUUIDMapEntryWrapper::isAbstract() const {
    return false;
}

void UUIDToUUIDMapEntryWrapper::defineMembers(olan::COSClassDefinition& definition) {
    beginDefinition(definition);
    definition.addMethod(
        new ConstructorMethod(&UUIDToUUIDMapEntry::metaClass, UUIDToUUIDMapEntryClassName));
    definition.addProperty(properties::newUUIDToUUIDMapEntryKey());
    definition.addProperty(properties::newUUIDToUUIDMapEntryValue());
    definition.addMethod(new CreateIntoValue);
    definition.addMethod(newStaticMetaClass(&UUIDToUUIDMapEntry::metaClass));
}

}  // namespace arvex::utilities::zi
