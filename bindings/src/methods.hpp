#pragma once

// The method descriptions of the six classes: one class per method, nested in its class's
// wrapper. A model operation's method is one line, an OperationMethod of the operation's
// binding (operation_method.hpp). The constructor, shared by the six classes, and the
// createInto methods, which make elements through builders, are written out; their invoke
// operations are in creation_methods.cpp. Only constructors name their arguments; other
// methods leave the argument names empty.

#include "arvex/utilities/bindings/wrappers.hpp"
#include "arvex/utilities/meta/operations.hpp"
#include "korm/zero/zi/binding.hpp"
#include "marshalling.hpp"
#include "olan/factory/strings.hpp"
#include "operation_method.hpp"

namespace arvex::utilities::zi {

using olan::factory::detail::StringScalarType;
using olan::factory::detail::StringVectorType;

/// The argument names of every constructor.
inline constexpr char const* ConstructorArguments = "model opt_init opt_uuid";

/// The constructor of a class's host class: one description serves the six classes. It is
/// named like the class (the last part of its qualified name) and makes elements through a
/// builder of the class `metaClass()` names.
class ConstructorMethod final : public WrapperMethod {
  public:
    ConstructorMethod(kz::meta::Class (*metaClass)(), char const* className);
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;

  private:
    kz::meta::Class (*m_metaClass)();
    char const* m_className;
};

class UUIDMapWrapper::CreateIntoPairs final : public WrapperMethod {
  public:
    CreateIntoPairs()
        : WrapperMethod("createIntoPairs", 0, "", UUIDMapEntryClassName,
                        {UUIDMapClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::CreateIntoPairs final : public WrapperMethod {
  public:
    CreateIntoPairs()
        : WrapperMethod("createIntoPairs", 0, "", UUIDMapEntryClassName,
                        {UUIDMultiMapClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::CreateIntoPairs final : public WrapperMethod {
  public:
    CreateIntoPairs()
        : WrapperMethod("createIntoPairs", 0, "", UUIDToUUIDMapEntryClassName,
                        {UUIDToUUIDMapClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapEntryWrapper::CreateIntoValue final : public WrapperMethod {
  public:
    CreateIntoValue()
        : WrapperMethod("createIntoValue", 0, "", UUIDMapClassName,
                        {UUIDToUUIDMapEntryClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

// ---- model operations -------------------------------------------------------------------------

namespace ops = operations;

// clang-format off
class FullPathAPIWrapper::GetComponentNames final : public OperationMethod<ops::GetComponentNames> {};

class UUIDMapWrapper::InsertPair final :         public OperationMethod<ops::MapInsertPair> {};
class UUIDMapWrapper::ErasePairForKey final :    public OperationMethod<ops::MapErasePairForKey> {};
class UUIDMapWrapper::ErasePairsForValue final : public OperationMethod<ops::MapErasePairsForValue> {};
class UUIDMapWrapper::FindValueForKey final :    public OperationMethod<ops::MapFindValueForKey> {};
class UUIDMapWrapper::HasKey final :             public OperationMethod<ops::MapHasKey> {};

class UUIDMultiMapWrapper::InsertPair final :       public OperationMethod<ops::MultiInsertPair> {};
class UUIDMultiMapWrapper::ErasePairsForKey final : public OperationMethod<ops::MultiErasePairsForKey> {};
class UUIDMultiMapWrapper::ErasePairsKeyAndValue final :
                                                    public OperationMethod<ops::MultiErasePairsKeyAndValue> {};
class UUIDMultiMapWrapper::ErasePairsForValue final : public OperationMethod<ops::MultiErasePairsForValue> {};
class UUIDMultiMapWrapper::FindValuesForKey final : public OperationMethod<ops::MultiFindValuesForKey> {};
class UUIDMultiMapWrapper::HasKey final :           public OperationMethod<ops::MultiHasKey> {};

class UUIDToUUIDMapWrapper::InsertPair final :       public OperationMethod<ops::TwoLevelInsertPair> {};
class UUIDToUUIDMapWrapper::ErasePairForKey final :  public OperationMethod<ops::TwoLevelErasePairForKey> {};
class UUIDToUUIDMapWrapper::ErasePairForKeys final : public OperationMethod<ops::TwoLevelErasePairForKeys> {};
class UUIDToUUIDMapWrapper::FindValueForKey final :  public OperationMethod<ops::TwoLevelFindValueForKey> {};
class UUIDToUUIDMapWrapper::FindValuesWithSubKey final :
                                                     public OperationMethod<ops::TwoLevelFindValuesWithSubKey> {};
class UUIDToUUIDMapWrapper::FindValueForKeys final : public OperationMethod<ops::TwoLevelFindValueForKeys> {};
class UUIDToUUIDMapWrapper::HasKey final :           public OperationMethod<ops::TwoLevelHasKey> {};
// clang-format on

}  // namespace arvex::utilities::zi
