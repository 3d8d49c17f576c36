#pragma once

// The method descriptions of the six classes: one class per method, nested in its class's
// wrapper. Each sets up its name, attribute word and signature; the argument names are those of
// the model operation's arguments, after "obj" for the receiver, so that a host's help shows
// what each input means. Its invoke operation (defined
// in map_methods.cpp and creation_methods.cpp) converts the inputs, calls the model operation
// and converts the result. The constructor, shared by the six classes, is defined in
// creation_methods.cpp.

#include "arvex/utilities/bindings/wrappers.hpp"
#include "korm/zero/zi/binding.hpp"
#include "marshalling.hpp"
#include "olan/factory/strings.hpp"

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

class FullPathAPIWrapper::GetComponentNames final : public WrapperMethod {
  public:
    GetComponentNames()
        : WrapperMethod("getComponentNames", olan::factory::MethodAttributes::Static, "namedPath",
                        StringVectorType, {StringScalarType}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMapWrapper::CreateIntoPairs final : public WrapperMethod {
  public:
    CreateIntoPairs()
        : WrapperMethod("createIntoPairs", 0, "obj opt_init opt_uuid", UUIDMapEntryClassName,
                        {UUIDMapClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMapWrapper::InsertPair final : public WrapperMethod {
  public:
    InsertPair()
        : WrapperMethod("insertPair", 0, "obj key value", "void",
                        {UUIDMapClassName, "char", "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMapWrapper::ErasePairForKey final : public WrapperMethod {
  public:
    ErasePairForKey()
        : WrapperMethod("erasePairForKey", 0, "obj key", "void", {UUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMapWrapper::ErasePairsForValue final : public WrapperMethod {
  public:
    ErasePairsForValue()
        : WrapperMethod("erasePairsForValue", 0, "obj value", "void", {UUIDMapClassName, "char"},
                        0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMapWrapper::FindValueForKey final : public WrapperMethod {
  public:
    FindValueForKey()
        : WrapperMethod("findValueForKey", 0, "obj key", "char", {UUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMapWrapper::HasKey final : public WrapperMethod {
  public:
    HasKey()
        : WrapperMethod("hasKey", 0, "obj key", "logical scalar", {UUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::CreateIntoPairs final : public WrapperMethod {
  public:
    CreateIntoPairs()
        : WrapperMethod("createIntoPairs", 0, "obj opt_init opt_uuid", UUIDMapEntryClassName,
                        {UUIDMultiMapClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::InsertPair final : public WrapperMethod {
  public:
    InsertPair()
        : WrapperMethod("insertPair", 0, "obj key value", "void",
                        {UUIDMultiMapClassName, "char", "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::ErasePairsForKey final : public WrapperMethod {
  public:
    ErasePairsForKey()
        : WrapperMethod("erasePairsForKey", 0, "obj key", "void", {UUIDMultiMapClassName, "char"},
                        0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::ErasePairsKeyAndValue final : public WrapperMethod {
  public:
    ErasePairsKeyAndValue()
        : WrapperMethod("erasePairsKeyAndValue", 0, "obj key value", "void",
                        {UUIDMultiMapClassName, "char", "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::ErasePairsForValue final : public WrapperMethod {
  public:
    ErasePairsForValue()
        : WrapperMethod("erasePairsForValue", 0, "obj value", "void",
                        {UUIDMultiMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::FindValuesForKey final : public WrapperMethod {
  public:
    FindValuesForKey()
        : WrapperMethod("findValuesForKey", 0, "obj key", StringVectorType,
                        {UUIDMultiMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDMultiMapWrapper::HasKey final : public WrapperMethod {
  public:
    HasKey()
        : WrapperMethod("hasKey", 0, "obj key", "logical scalar", {UUIDMultiMapClassName, "char"},
                        0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::CreateIntoPairs final : public WrapperMethod {
  public:
    CreateIntoPairs()
        : WrapperMethod("createIntoPairs", 0, "obj opt_init opt_uuid", UUIDToUUIDMapEntryClassName,
                        {UUIDToUUIDMapClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::InsertPair final : public WrapperMethod {
  public:
    InsertPair()
        : WrapperMethod("insertPair", 0, "obj containerKey subKey value", "void",
                        {UUIDToUUIDMapClassName, "char", "char", "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::ErasePairForKey final : public WrapperMethod {
  public:
    ErasePairForKey()
        : WrapperMethod("erasePairForKey", 0, "obj containerKey", "void",
                        {UUIDToUUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::ErasePairForKeys final : public WrapperMethod {
  public:
    ErasePairForKeys()
        : WrapperMethod("erasePairForKeys", 0, "obj containerKey subKey", "void",
                        {UUIDToUUIDMapClassName, "char", "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::FindValueForKey final : public WrapperMethod {
  public:
    FindValueForKey()
        : WrapperMethod("findValueForKey", 0, "obj containerKey", UUIDMapClassName,
                        {UUIDToUUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::FindValuesWithSubKey final : public WrapperMethod {
  public:
    FindValuesWithSubKey()
        : WrapperMethod("findValuesWithSubKey", 0, "obj subKey", StringVectorType,
                        {UUIDToUUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::FindValueForKeys final : public WrapperMethod {
  public:
    FindValueForKeys()
        : WrapperMethod("findValueForKeys", 0, "obj containerKey subKey", "char",
                        {UUIDToUUIDMapClassName, "char", "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapWrapper::HasKey final : public WrapperMethod {
  public:
    HasKey()
        : WrapperMethod("hasKey", 0, "obj containerKey", "logical scalar",
                        {UUIDToUUIDMapClassName, "char"}, 0) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

class UUIDToUUIDMapEntryWrapper::CreateIntoValue final : public WrapperMethod {
  public:
    CreateIntoValue()
        : WrapperMethod("createIntoValue", 0, "obj opt_init opt_uuid", UUIDMapClassName,
                        {UUIDToUUIDMapEntryClassName, "any", "char"}, 2) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override;
};

}  // namespace arvex::utilities::zi
