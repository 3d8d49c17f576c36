#pragma once

// Methods: OlanMethod descriptions with their signatures and attribute words.
//
// The host calls a method's invoke operation with
//   outputCount   set to 0 by the host; the method writes how many outputs it produced,
//   outputs       the output slots (null when the caller takes no output; otherwise as many slots
//                 as the caller asked for, at most one per declared output); slots are owning
//                 Values, so whatever the method stores there belongs to the host,
//   inputCount, inputs   the input arrays, lent by the host (read-only, owned by the caller);
//                 for an instance method input 0 is the self object.
// For a constructor the host places the object under construction in output slot 0.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "olan/export.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace olan::factory {

namespace impl {
class Invoker;
}

/// A method's attribute word.
struct MethodAttributes {
    static constexpr std::uint32_t Abstract = 0x1;
    static constexpr std::uint32_t Sealed = 0x2;
    static constexpr std::uint32_t Hidden = 0x4;
    static constexpr std::uint32_t Static = 0x8;
    static constexpr std::uint32_t Protected = 0x10;
    static constexpr std::uint32_t Private = 0x20;
    /// The method answers a question about the class rather than about an instance (such as its
    /// meta-class); hosts may list such methods apart.
    static constexpr std::uint32_t ClassQuery = 0x200;
    /// Keeps a MethodImpl an instance method (it is made static otherwise).
    static constexpr std::uint32_t KeepInstance = 0x1000;

    constexpr MethodAttributes(std::uint32_t word = 0) noexcept : word(word) {}
    constexpr bool has(std::uint32_t bits) const noexcept { return (word & bits) == bits; }

    std::uint32_t word;
};

enum class MemberAccess { Public, Protected, Private };

/// A method signature: argument names, output type ("void" for none) and input types; the last
/// optionalInputCount() inputs may be left out by a caller.
class OLAN_EXPORT MethodSignature {
  public:
    const std::vector<std::string>& argumentNames() const noexcept { return names_; }
    const std::string& outputType() const noexcept { return output_; }
    const std::vector<std::string>& inputTypes() const noexcept { return inputs_; }
    int inputCount() const noexcept { return static_cast<int>(inputs_.size()); }
    /// 0 for a "void" output, else 1.
    int outputCount() const noexcept { return output_ == "void" ? 0 : 1; }
    int optionalInputCount() const noexcept { return optional_; }
    int requiredInputCount() const noexcept { return inputCount() - optional_; }
    /// Raises InvalidSignature unless 0 <= count <= inputCount().
    void setOptionalInputCount(int count);

  private:
    friend class impl::Invoker;
    std::vector<std::string> names_;
    std::string output_ = "void";
    std::vector<std::string> inputs_;
    int optional_ = 0;
};

/// A method description. The virtual operations are in the host's slot order; a method class
/// overrides invoke (and, if it likes, its destructor) and keeps the rest.
class OLAN_EXPORT OlanMethod {
  public:
    OlanMethod(std::string name, MethodAttributes attributes, std::string description);
    virtual ~OlanMethod();

    virtual std::string getName() const;
    virtual std::string getDescription() const;
    /// Default: false.
    virtual bool isLookupScope() const;
    /// Default: empty.
    virtual std::string getDetailedDescription() const;
    /// From the Protected and Private bits; Public otherwise.
    virtual MemberAccess getMemberAccess() const;
    /// Names of classes granted access beyond getMemberAccess. Default: none.
    virtual std::vector<std::string> getExtendedAccess() const;
    virtual const MethodSignature& getMethodSignature() const;
    virtual void invoke(int& outputCount, Value* outputs, int inputCount,
                        const zvArray* const* inputs) = 0;
    /// Default: !isStatic().
    virtual bool isFirstArgDispatch() const;
    /// The Static bit.
    virtual bool isStatic() const;
    /// The Abstract bit.
    virtual bool isAbstract() const;
    /// The Sealed bit.
    virtual bool isSealed() const;
    /// Not the Hidden bit.
    virtual bool isVisible() const;
    /// Whether the host deletes the description. Default: true.
    virtual bool isDestructible() const;
    /// Default: false.
    virtual bool isLocked() const;
    /// Default: false.
    virtual bool isExplicit() const;
    /// Default: false.
    virtual bool doesMethodOverrideAllSignatures() const;

    MethodAttributes getAttributes() const noexcept { return attributes_; }
    /// The signature, to be filled by impl::Invoker::createSignature in the method's constructor.
    MethodSignature& signature() noexcept { return signature_; }

  protected:
    void setAttributes(MethodAttributes attributes) noexcept { attributes_ = attributes; }

  private:
    std::string name_;
    MethodAttributes attributes_;
    std::string description_;
    MethodSignature signature_;
};

namespace impl {

/// Builds signatures. `argumentNames` is empty or holds one space-separated name per input
/// (raises InvalidSignature otherwise). Type names: "void" (output only), "char", "any",
/// "logical scalar", "double scalar", "cell", "struct", the string types of
/// detail::initStringDataTypes, or a qualified class name (with a ".").
class OLAN_EXPORT Invoker {
  public:
    static void createSignature(std::string_view argumentNames, std::string_view outputType,
                                MethodSignature& signature);
    static void createSignature(std::string_view argumentNames, std::string_view outputType,
                                std::string_view input1, MethodSignature& signature);
    static void createSignature(std::string_view argumentNames, std::string_view outputType,
                                std::string_view input1, std::string_view input2,
                                MethodSignature& signature);
    static void createSignature(std::string_view argumentNames, std::string_view outputType,
                                std::string_view input1, std::string_view input2,
                                std::string_view input3, MethodSignature& signature);
    static void createSignature(std::string_view argumentNames, std::string_view outputType,
                                std::string_view input1, std::string_view input2,
                                std::string_view input3, std::string_view input4,
                                MethodSignature& signature);

  private:
    static void fill(std::string_view argumentNames, std::string_view outputType,
                     std::vector<std::string> inputs, MethodSignature& signature);
};

/// A method whose invoke hands a stored function (for example a class's metaClass function)
/// to a stored invoker function. Made static (bit 8) unless KeepInstance is set.
template <class Function>
class MethodImpl : public OlanMethod {
  public:
    using InvokerFunction = void (*)(Function function, int& outputCount, Value* outputs,
                                     int inputCount, const zvArray* const* inputs);

    MethodImpl(std::string name, MethodAttributes attributes, std::string description,
               InvokerFunction invoker, Function function)
        : OlanMethod(std::move(name), withStatic(attributes), std::move(description))
        , invoker_(invoker)
        , function_(std::move(function)) {}

    void invoke(int& outputCount, Value* outputs, int inputCount,
                const zvArray* const* inputs) override {
        invoker_(function_, outputCount, outputs, inputCount, inputs);
    }

    const Function& function() const noexcept { return function_; }

  private:
    static MethodAttributes withStatic(MethodAttributes attributes) noexcept {
        if (attributes.has(MethodAttributes::KeepInstance)) {
            return attributes;
        }
        return MethodAttributes(attributes.word | MethodAttributes::Static);
    }

    InvokerFunction invoker_;
    Function function_;
};

/// Raises the host's InvalidHandle error when `self` (a native pointer obtained from a host
/// object) is null.
OLAN_EXPORT void validateSelfPointer(const void* self);

}  // namespace impl
}  // namespace olan::factory
