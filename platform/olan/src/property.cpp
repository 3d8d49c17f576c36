#include "olan/factory/property.hpp"

#include "olan/errors.hpp"

namespace olan::factory::impl {

PropertyGetter::~PropertyGetter() = default;

Value PropertyGetter::getDiscarding(Object& self) const {
    static_cast<void>(get(self));
    return Value();
}

void PropertyGetter::releaseValue(zvArray* value, void (*beforeRelease)(zvArray*)) const {
    if (value == nullptr) {
        return;
    }
    Value owned(value);
    if (beforeRelease) {
        beforeRelease(value);
    }
}

PropertySetter::~PropertySetter() = default;

PropertyImpl::PropertyImpl(std::string name, std::string description, std::uint32_t attributes,
                           PropertyGetter* getter, PropertySetter* setter)
    : name_(std::move(name))
    , description_(std::move(description))
    , attributes_(attributes)
    , getter_(getter)
    , setter_(setter) {
    if (!getter_) {
        raiseHostError(errors::InvalidDefinition, "property " + name_ + " has no getter");
    }
}

PropertyImpl::~PropertyImpl() = default;

bool PropertyImpl::isDestructible() const {
    return true;
}

}  // namespace olan::factory::impl
