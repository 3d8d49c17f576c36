// Element-handle values for the model-file reader and writer.

#include "element_values.hpp"

#include "korm/zero/meta/meta_objects.hpp"

namespace korm::zero::store {

namespace {

void deleteHandle(void* payload) {
    delete static_cast<ModelElement*>(payload);
}

void* cloneHandle(void const* payload) {
    return new ModelElement(*static_cast<ModelElement const*>(payload));
}

bool compareHandles(void const* a, void const* b) {
    return *static_cast<ModelElement const*>(a) == *static_cast<ModelElement const*>(b);
}

}  // namespace

Value makeElementValue(meta::Property const& property, ModelElement const& element) {
    ValueMeta meta(property);
    meta.setType(meta::Type(element->getMetaClass()));
    meta.setMultiplicityKind(ValueMeta::KIND_SINGLE);
    Value::Operations operations;
    operations.deleter = &deleteHandle;
    operations.cloner = &cloneHandle;
    operations.comparator = &compareHandles;
    return Value(std::move(meta), new ModelElement(element), operations);
}

ModelElement::Impl* heldElement(Value const& value) noexcept {
    auto const* held = static_cast<ModelElement const*>(value.getPayload());
    return held == nullptr ? nullptr : held->getImpl();
}

}  // namespace korm::zero::store
