#pragma once

// Properties: a PropertyImpl holds a getter and, when writable, a setter. The host hands both the
// host object whose property is read or written; the value to write is a lent host array.
//
// AdaptedClassGetter and AdaptedClassSetter adapt one plain native function over the object's
// native pointer (bound under a class type name) to these interfaces:
//   - the self pointer is looked up under the class type name, acquired through the SelfPolicy
//     (for example a reference count) when not null, then checked with validateSelfPointer
//     (InvalidHandle for null), and released through the SelfPolicy on return or unwinding;
//   - results and arguments convert through HostValueConversion.

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "olan/export.hpp"
#include "olan/factory/method.hpp"
#include "olan/factory/strings.hpp"
#include "olan/interned.hpp"
#include "olan/object.hpp"
#include "olan/value.hpp"
#include "tarsk/core/text.hpp"
#include "zolmar/zv_array.hpp"

namespace olan::factory::impl {

/// A property getter.
class OLAN_EXPORT PropertyGetter {
  public:
    virtual ~PropertyGetter();
    /// The value of the property of `self`; owned by the caller.
    virtual Value get(Object& self) const = 0;
    /// Evaluates the getter on `self` for its effects and checks, discards the value and returns
    /// an empty Value. Default: get() and drop.
    virtual Value getDiscarding(Object& self) const;
    /// Releases a value this getter produced: `beforeRelease` (if given) sees it first, then it
    /// is destroyed with zvDestroyArray. Null is ignored.
    virtual void releaseValue(zvArray* value, void (*beforeRelease)(zvArray*)) const;
    /// The declared type name of the property.
    virtual std::string getType() const = 0;
};

/// A property setter.
class OLAN_EXPORT PropertySetter {
  public:
    virtual ~PropertySetter();
    /// Writes the property of `self`; `value` is lent.
    virtual void set(Object& self, const zvArray* value) const = 0;
    /// The declared type name of the property (must equal the getter's).
    virtual std::string getType() const = 0;
};

/// Property attribute bits.
struct PropertyAttributes {
    static constexpr std::uint32_t Hidden = 0x4;
};

/// A property description: name, description, attribute word, getter and optional setter
/// (ownership of both passes to the property at construction, even when it raises; a null
/// getter raises InvalidDefinition).
class OLAN_EXPORT PropertyImpl {
  public:
    PropertyImpl(std::string name, std::string description, std::uint32_t attributes,
                 PropertyGetter* getter, PropertySetter* setter = nullptr);
    virtual ~PropertyImpl();
    PropertyImpl(const PropertyImpl&) = delete;
    PropertyImpl& operator=(const PropertyImpl&) = delete;

    const std::string& getName() const noexcept { return name_; }
    const std::string& getDescription() const noexcept { return description_; }
    std::uint32_t getAttributes() const noexcept { return attributes_; }
    bool isReadOnly() const noexcept { return !setter_; }
    std::string getType() const { return getter_->getType(); }
    const PropertyGetter& getter() const noexcept { return *getter_; }
    /// Null for a read-only property.
    const PropertySetter* setter() const noexcept { return setter_.get(); }
    /// Whether the host deletes the description. Default: true.
    virtual bool isDestructible() const;

  private:
    std::string name_;
    std::string description_;
    std::uint32_t attributes_;
    std::unique_ptr<PropertyGetter> getter_;
    std::unique_ptr<PropertySetter> setter_;
};

/// SelfPolicy that takes no reference.
struct UnreferencedSelf {
    template <class T>
    static void acquire(T*) noexcept {}
    template <class T>
    static void release(T*) noexcept {}
};

/// How a native value becomes a host value (toHost) and back (fromHost).
template <class T>
struct HostValueConversion;

template <>
struct HostValueConversion<Value> {
    static Value toHost(Value value) noexcept { return value; }
};
template <>
struct HostValueConversion<const zvArray*> {
    static const zvArray* fromHost(const zvArray* value) noexcept { return value; }
};
template <>
struct HostValueConversion<std::u16string> {
    static Value toHost(const std::u16string& text) { return Value(zvCreateString_UTF16(text)); }
    static std::u16string fromHost(const zvArray* value) { return extractString(value); }
};
template <>
struct HostValueConversion<std::string> {
    static Value toHost(const std::string& text) { return Value(zvCreateString_UTF8(text)); }
    static std::string fromHost(const zvArray* value) {
        return tarsk::core::text::toUtf8(extractString(value));
    }
};
template <>
struct HostValueConversion<bool> {
    static Value toHost(bool flag) { return Value(zvCreateLogical(flag)); }
    static bool fromHost(const zvArray* value) { return zvGetLogical(value, 0); }
};
template <>
struct HostValueConversion<double> {
    static Value toHost(double number) { return Value(zvCreateDouble(number)); }
    static double fromHost(const zvArray* value) { return zvGetDouble(value, 0); }
};
template <>
struct HostValueConversion<std::vector<std::u16string>> {
    static Value toHost(const std::vector<std::u16string>& texts) {
        return Value(Marshaler<UnicodeStringVectorPolicy>::ToM(texts));
    }
    static std::vector<std::u16string> fromHost(const zvArray* value) {
        return Marshaler<UnicodeStringVectorPolicy>::FromM(value);
    }
};

/// The self pointer of an accessor call, held for the call's duration.
template <class Self, class SelfPolicy>
class HeldSelf {
  public:
    HeldSelf(Object& self, InternedName typeName)
        : pointer_(self.getNativePointerAs<Self>(typeName)) {
        if (pointer_) {
            SelfPolicy::acquire(pointer_);
        }
        // Raises only for a null pointer, for which nothing was acquired.
        validateSelfPointer(pointer_);
    }
    ~HeldSelf() {
        if (pointer_) {
            SelfPolicy::release(pointer_);
        }
    }
    HeldSelf(const HeldSelf&) = delete;
    HeldSelf& operator=(const HeldSelf&) = delete;
    Self* get() const noexcept { return pointer_; }

  private:
    Self* pointer_;
};

/// A getter over `Result (*)(Self*)`.
template <class Self, class Result, class SelfPolicy = UnreferencedSelf>
class AdaptedClassGetter final : public PropertyGetter {
  public:
    using Function = Result (*)(Self*);
    using Conversion = HostValueConversion<std::remove_cvref_t<Result>>;

    AdaptedClassGetter(InternedName classTypeName, Function function, std::string declaredType)
        : typeName_(classTypeName), function_(function), type_(std::move(declaredType)) {}

    Value get(Object& self) const override {
        HeldSelf<Self, SelfPolicy> held(self, typeName_);
        return Conversion::toHost(function_(held.get()));
    }
    Value getDiscarding(Object& self) const override {
        HeldSelf<Self, SelfPolicy> held(self, typeName_);
        static_cast<void>(function_(held.get()));
        return Value();
    }
    std::string getType() const override { return type_; }

  private:
    InternedName typeName_;
    Function function_;
    std::string type_;
};

/// A setter over `void (*)(Self*, Argument)`.
template <class Self, class Argument, class SelfPolicy = UnreferencedSelf>
class AdaptedClassSetter final : public PropertySetter {
  public:
    using Function = void (*)(Self*, Argument);
    using Conversion = HostValueConversion<std::remove_cvref_t<Argument>>;

    AdaptedClassSetter(InternedName classTypeName, Function function, std::string declaredType)
        : typeName_(classTypeName), function_(function), type_(std::move(declaredType)) {}

    void set(Object& self, const zvArray* value) const override {
        HeldSelf<Self, SelfPolicy> held(self, typeName_);
        function_(held.get(), Conversion::fromHost(value));
    }
    std::string getType() const override { return type_; }

  private:
    InternedName typeName_;
    Function function_;
    std::string type_;
};

}  // namespace olan::factory::impl
