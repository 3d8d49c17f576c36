#pragma once

// The host class descriptions of the six model classes.
//
// Each description is a chain of four levels: OlanFactoryClassInfo (short and qualified name),
// HandleClassInfo (objects bound to native element records), KORM0WrapperInfo (destroy-instance
// releases the element reference a binding holds) and the wrapper below, which defines the
// members and answers isAbstract with false. The native type of every level is the class's
// record (X::Impl), which is exactly what a host object's native pointer holds.
//
// Members are added in this order: the superclass "korm.zero.ModelElement", the constructor
// (named like the class), the properties, the createInto method, "StaticMetaClass", then the
// remaining methods. Each method is a class nested in its wrapper, named after the method.

#include "arvex/utilities/export.hpp"
#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"
#include "korm/zero/zi/wrapper_info.hpp"
#include "olan/class_info.hpp"

namespace arvex::utilities::zi {

/// The qualified (host) names of the six classes.
inline constexpr char const* FullPathAPIClassName = "arvex.utilities.FullPathAPI";
inline constexpr char const* UUIDMapClassName = "arvex.utilities.UUIDMap";
inline constexpr char const* UUIDMapEntryClassName = "arvex.utilities.UUIDMapEntry";
inline constexpr char const* UUIDMultiMapClassName = "arvex.utilities.UUIDMultiMap";
inline constexpr char const* UUIDToUUIDMapClassName = "arvex.utilities.UUIDToUUIDMap";
inline constexpr char const* UUIDToUUIDMapEntryClassName = "arvex.utilities.UUIDToUUIDMapEntry";

class ARVEX_UTILITIES_EXPORT FullPathAPIWrapper final
    : public korm::zero::zi::KORM0WrapperInfo<FullPathAPI::Impl> {
  public:
    class GetComponentNames;

    FullPathAPIWrapper();
    bool isAbstract() const override;
    void defineMembers(olan::COSClassDefinition& definition) override;
};

class ARVEX_UTILITIES_EXPORT UUIDMapWrapper final
    : public korm::zero::zi::KORM0WrapperInfo<UUIDMap::Impl> {
  public:
    class CreateIntoPairs;
    class InsertPair;
    class ErasePairForKey;
    class ErasePairsForValue;
    class FindValueForKey;
    class HasKey;

    UUIDMapWrapper();
    bool isAbstract() const override;
    void defineMembers(olan::COSClassDefinition& definition) override;
};

class ARVEX_UTILITIES_EXPORT UUIDMapEntryWrapper final
    : public korm::zero::zi::KORM0WrapperInfo<UUIDMapEntry::Impl> {
  public:
    UUIDMapEntryWrapper();
    bool isAbstract() const override;
    void defineMembers(olan::COSClassDefinition& definition) override;
};

class ARVEX_UTILITIES_EXPORT UUIDMultiMapWrapper final
    : public korm::zero::zi::KORM0WrapperInfo<UUIDMultiMap::Impl> {
  public:
    class CreateIntoPairs;
    class InsertPair;
    class ErasePairsForKey;
    class ErasePairsKeyAndValue;
    class ErasePairsForValue;
    class FindValuesForKey;
    class HasKey;

    UUIDMultiMapWrapper();
    bool isAbstract() const override;
    void defineMembers(olan::COSClassDefinition& definition) override;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapWrapper final
    : public korm::zero::zi::KORM0WrapperInfo<UUIDToUUIDMap::Impl> {
  public:
    class CreateIntoPairs;
    class InsertPair;
    class ErasePairForKey;
    class ErasePairForKeys;
    class FindValueForKey;
    class FindValuesWithSubKey;
    class FindValueForKeys;
    class HasKey;

    UUIDToUUIDMapWrapper();
    bool isAbstract() const override;
    void defineMembers(olan::COSClassDefinition& definition) override;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntryWrapper final
    : public korm::zero::zi::KORM0WrapperInfo<UUIDToUUIDMapEntry::Impl> {
  public:
    class CreateIntoValue;

    UUIDToUUIDMapEntryWrapper();
    bool isAbstract() const override;
    void defineMembers(olan::COSClassDefinition& definition) override;
};

}  // namespace arvex::utilities::zi
