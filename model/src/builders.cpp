// The builders of the six model classes: the given values each class takes, the records they
// make, the cascades that create what an element owns, and the creations into a map's "Pairs"
// or an entry's "Value".

#include "arvex/utilities/builders.hpp"

#include "arvex/utilities/collections/collection_support.hpp"
#include "korm/zero/meta/meta_objects.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
using boost::uuids::uuid;
using detail::Meta;

// ---- shared pieces ----------------------------------------------------------------------------

namespace detail {

BuilderImplBase::~BuilderImplBase() = default;

bool buildsFor(kz::ModelElement::Builder const* builder, kz::meta::Property const& property) {
    if (builder == nullptr || property.isEmpty()) {
        return false;
    }
    kz::meta::Class const made = builder->getMetaClass();
    return !made.isEmpty() &&
           made.getClassImpl()->conformsTo(property.getPropertyImpl()->getType());
}

void reportNotOfClass(kz::ModelElement::Impl const& element, kz::meta::Class const& target) {
    kz::reportException(korm0::messages::CannotAddIncompatibleTypes(
        kz::meta::qualifiedNameOf(element.getMetaClass()), kz::meta::qualifiedNameOf(target)));
}

void reportNoBuilder() {
    kz::reportException(korm0::messages::InvalidValue("builder of a creation", "<none>",
                                                      "an element is created by a builder"));
}

}  // namespace detail

// The concrete builders: constructors and destructors live here, so that each builder's
// virtual table is made once, in the library.
#define ARVEX_DEFINE_BUILDER(X)                                         \
    X::Builder::Builder() = default;                                    \
    X::Builder::Builder(kz::Model const& model) : BuilderBase(model) {} \
    X::Builder::~Builder() = default

ARVEX_DEFINE_BUILDER(UUIDMapEntry);
ARVEX_DEFINE_BUILDER(UUIDMap);
ARVEX_DEFINE_BUILDER(UUIDMultiMap);
ARVEX_DEFINE_BUILDER(UUIDToUUIDMapEntry);
ARVEX_DEFINE_BUILDER(UUIDToUUIDMap);
ARVEX_DEFINE_BUILDER(FullPathAPI);

#undef ARVEX_DEFINE_BUILDER

// ---- UUIDMapEntry -----------------------------------------------------------------------------

UUIDMapEntry::Impl::BuilderImpl::Slot const UUIDMapEntry::Impl::BuilderImpl::SLOTS[2] = {
    {KEY, &Meta::uuidMapEntryKey, &BuilderImpl::m_key},
    {VALUE, &Meta::uuidMapEntryValue, &BuilderImpl::m_value},
};

std::size_t UUIDMapEntry::Impl::BuilderImpl::doSetOrAdd(kz::meta::Property const& property,
                                                        kz::Value const& value) {
    return detail::setUuidSlot(SLOTS, *this, property, value);
}

UUIDMapEntry::Impl::Impl(BuilderImpl const& builder, uuid const& id)
    : RecordBase(builder.getBuilder().getModel(), id)
    , m_key(builder.getKey())
    , m_value(builder.getValue()) {}

void UUIDMapEntry::Impl::cascadeCreation(BuilderImpl& /*builder*/) {}

// ---- the maps ---------------------------------------------------------------------------------

UUIDMap::Impl::Impl(BuilderImpl const& builder, uuid const& id)
    : MapRecord(builder.getBuilder().getModel(), id) {}

void UUIDMap::Impl::cascadeCreation(BuilderImpl& builder) {
    detail::createPairs(*this, builder);
}

UUIDMapEntry UUIDMap::Impl::createIntoPairs(UUIDMapEntry::BuilderWrapper builder, uuid const& id) {
    return detail::createIntoPairs(*this, builder, id);
}

UUIDMultiMap::Impl::Impl(BuilderImpl const& builder, uuid const& id)
    : MapRecord(builder.getBuilder().getModel(), id) {}

void UUIDMultiMap::Impl::cascadeCreation(BuilderImpl& builder) {
    detail::createPairs(*this, builder);
}

UUIDMapEntry UUIDMultiMap::Impl::createIntoPairs(UUIDMapEntry::BuilderWrapper builder,
                                                 uuid const& id) {
    return detail::createIntoPairs(*this, builder, id);
}

UUIDToUUIDMap::Impl::Impl(BuilderImpl const& builder, uuid const& id)
    : MapRecord(builder.getBuilder().getModel(), id) {}

void UUIDToUUIDMap::Impl::cascadeCreation(BuilderImpl& builder) {
    detail::createPairs(*this, builder);
}

UUIDToUUIDMapEntry UUIDToUUIDMap::Impl::createIntoPairs(UUIDToUUIDMapEntry::BuilderWrapper builder,
                                                        uuid const& id) {
    return detail::createIntoPairs(*this, builder, id);
}

// ---- UUIDToUUIDMapEntry -----------------------------------------------------------------------

UUIDToUUIDMapEntry::Impl::BuilderImpl::Slot const UUIDToUUIDMapEntry::Impl::BuilderImpl::SLOTS[1] =
    {
        {KEY, &Meta::uuidToUUIDMapEntryKey, &BuilderImpl::m_key},
};

std::size_t UUIDToUUIDMapEntry::Impl::BuilderImpl::doSetOrAdd(kz::meta::Property const& property,
                                                              kz::Value const& value) {
    return detail::setUuidSlot(SLOTS, *this, property, value);
}

std::size_t UUIDToUUIDMapEntry::Impl::BuilderImpl::doSetOrAdd(
    kz::meta::Property const& property, std::unique_ptr<kz::ModelElement::Builder>& builder) {
    if (property != Meta::uuidToUUIDMapEntryValue() ||
        !detail::buildsFor(builder.get(), property)) {
        return NOT_MINE;
    }
    doSetValue(std::move(builder));
    return VALUE;
}

UUIDMap UUIDToUUIDMapEntry::Impl::BuilderImpl::getValue() const {
    if (!m_value) {
        return UUIDMap();
    }
    if (kz::ModelElement::Builder::Orchestrator* orchestrator = getBuilder().getOrchestrator()) {
        orchestrator->addBuilder(*m_value);
    }
    return detail::narrowTo<UUIDMap>(m_value->create(boost::uuids::nil_uuid()));
}

UUIDToUUIDMapEntry::Impl::Impl(BuilderImpl const& builder, uuid const& id)
    : RecordBase(builder.getBuilder().getModel(), id), m_key(builder.getKey()) {}

void UUIDToUUIDMapEntry::Impl::cascadeCreation(BuilderImpl& builder) {
    if (builder.isGiven(VALUE)) {
        setValue(builder.getValue());
    }
}

UUIDMap UUIDToUUIDMapEntry::Impl::createIntoValue(UUIDMap::BuilderWrapper builder, uuid const& id) {
    return detail::asOperation(*this, [&] {
        if (!builder) {
            detail::reportNoBuilder();
        }
        builder.get()->setModel(getModel());
        UUIDMap const map = detail::narrowTo<UUIDMap>(builder.get()->create(id));
        replaceValue(map);
        return map;
    });
}

// ---- FullPathAPI ------------------------------------------------------------------------------

FullPathAPI::Impl::Impl(BuilderImpl const& builder, uuid const& id)
    : RecordBase(builder.getBuilder().getModel(), id) {}

void FullPathAPI::Impl::cascadeCreation(BuilderImpl& /*builder*/) {}

}  // namespace arvex::utilities
