#pragma once

// The builder side every model class shares.
//
// A class X has a builder X::Builder built on X::Impl::BuilderBase<X::Builder> (an alias of
// BuilderBase<X, X::Builder> below), which derives publicly from the framework's
// ModelElement::Builder and privately from X::Impl::BuilderImpl, the holder of the given
// values. What differs between the classes is only the BuilderImpl: which properties it takes
// (doSetOrAdd answers the index it stored or NOT_MINE), what it holds and how the record's
// constructor Impl(BuilderImpl const&, uuid) and its cascadeCreation read it. The rest — the
// given-property bits, passing unknown properties to the framework, the orchestrated creation,
// the map cascade and createIntoPairs — is written once here.
//
//   UUIDMapEntry::Builder builder(model);
//   builder.setOrAdd(keyProperty, keyValue);          // bit 1 set
//   UUIDMapEntry entry = ...(builder.create(nil_uuid()));

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <concepts>
#include <cstddef>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/element_map.hpp"
#include "arvex/utilities/collections/element_multimap.hpp"
#include "arvex/utilities/detail/element_pattern.hpp"
#include "arvex/utilities/export.hpp"
#include "korm/zero/builder.hpp"
#include "korm/zero/transaction.hpp"

namespace arvex::utilities::detail {

// ---- given values -----------------------------------------------------------------------------

/// The base of every X::Impl::BuilderImpl: a reference back to the framework builder it belongs
/// to (given-property bits, model, orchestrator) and the "not mine" answers of doSetOrAdd.
class ARVEX_UTILITIES_EXPORT BuilderImplBase {
  public:
    /// doSetOrAdd's answer for a property the class does not take.
    static constexpr std::size_t NOT_MINE = std::numeric_limits<std::size_t>::max();

    explicit BuilderImplBase(kz::ModelElement::Builder& builder) noexcept : m_builder(builder) {}
    BuilderImplBase(BuilderImplBase const&) = delete;
    BuilderImplBase& operator=(BuilderImplBase const&) = delete;
    virtual ~BuilderImplBase();

    kz::ModelElement::Builder& getBuilder() const noexcept { return m_builder; }
    bool isGiven(std::size_t index) const noexcept { return m_builder.isGiven(index); }

    std::size_t doSetOrAdd(kz::meta::Property const& /*property*/, kz::Value const& /*value*/) {
        return NOT_MINE;
    }
    std::size_t doSetOrAdd(kz::meta::Property const& /*property*/,
                           std::unique_ptr<kz::ModelElement::Builder>& /*builder*/) {
        return NOT_MINE;
    }

  private:
    kz::ModelElement::Builder& m_builder;
};

/// One UUID-valued property a BuilderImpl of class B takes: its index, its property object and
/// the field that holds the given value.
template <class B>
struct UuidBuilderSlot {
    std::size_t index;
    kz::meta::Property const& (*property)();
    boost::uuids::uuid B::*field;
};

/// Stores a UUID value given for one of `slots` and answers its index; NOT_MINE for any other
/// property. A value of another type reports CannotCastIncompatibleTypes before anything is
/// stored.
template <class B, std::size_t N>
std::size_t setUuidSlot(UuidBuilderSlot<B> const (&slots)[N], B& values,
                        kz::meta::Property const& property, kz::Value const& value) {
    for (auto const& slot : slots) {
        if (property == slot.property()) {
            values.*slot.field = value.getValue<boost::uuids::uuid>();
            return slot.index;
        }
    }
    return BuilderImplBase::NOT_MINE;
}

/// Whether `builder` makes elements that `property`'s declared type admits (the class
/// conformance of the framework: the type's class itself or a subclass of it).
ARVEX_UTILITIES_EXPORT bool buildsFor(kz::ModelElement::Builder const* builder,
                                      kz::meta::Property const& property);

/// Reports CannotAddIncompatibleTypes: `element` (of that class) is not an element of `target`.
[[noreturn]] ARVEX_UTILITIES_EXPORT void reportNotOfClass(kz::ModelElement::Impl const& element,
                                                          kz::meta::Class const& target);

/// `element` as a handle of class T: an empty handle for an empty one; an element of another
/// class reports CannotAddIncompatibleTypes.
template <class T>
T narrowTo(kz::ModelElement const& element) {
    if (element.isEmpty()) {
        return T();
    }
    auto* record = dynamic_cast<typename T::Impl*>(element.getImpl());
    if (record == nullptr) {
        reportNotOfClass(*element.getImpl(), T::metaClass());
    }
    return T(record);
}

/// The given values of a map class: the entry builders of "Pairs" (the property of
/// PAIRS_PROPERTY), in the order given. Entry is the entry class.
template <class Entry, kz::meta::Property const& (*PAIRS_PROPERTY)()>
class PairsBuilderImpl : public BuilderImplBase {
  public:
    static constexpr std::size_t PAIRS = 1;
    using BuilderImplBase::BuilderImplBase;
    using BuilderImplBase::doSetOrAdd;

    /// Takes a non-null entry builder for "Pairs" whose class the property admits (index 1);
    /// anything else is not mine and stays with the caller.
    std::size_t doSetOrAdd(kz::meta::Property const& property,
                           std::unique_ptr<kz::ModelElement::Builder>& builder) {
        if (property != PAIRS_PROPERTY() || !buildsFor(builder.get(), property)) {
            return NOT_MINE;
        }
        doAddPairs(std::move(builder));
        return PAIRS;
    }
    void doAddPairs(std::unique_ptr<kz::ModelElement::Builder> builder) {
        m_pairs.push_back(std::move(builder));
    }
    /// Deletes every held entry builder.
    void doClearPairs() noexcept { m_pairs.clear(); }
    std::vector<std::unique_ptr<kz::ModelElement::Builder>> const& getPairBuilders()
        const noexcept {
        return m_pairs;
    }

  private:
    std::vector<std::unique_ptr<kz::ModelElement::Builder>> m_pairs;
};

// ---- filing a new entry -------------------------------------------------------------------

/// Files a new entry in a map's "Pairs": a key held by another entry reports
/// UniquenessConstraint.
template <class K, class T>
void fileNewEntry(kz::ElementMap<K, T>& pairs, T const& entry) {
    pairs.insert(entry, kz::CollisionResolution::REPORT);
}

/// Files a new entry in a multimap's "Pairs", after the entries of its key.
template <class K, class T>
void fileNewEntry(kz::ElementMultimap<K, T>& pairs, T const& entry) {
    pairs.insert(entry);
}

/// The map side of cascadeCreation: when "Pairs" was given, each held entry builder, in order,
/// joins the creation (the orchestrator's addBuilder), makes its entry with the nil UUID and the
/// entry is filed in `map`'s "Pairs".
template <class MapImpl, class Values>
void createPairs(MapImpl& map, Values& values) {
    if (!values.isGiven(MapImpl::PAIRS)) {
        return;
    }
    using Entry = typename MapImpl::Pairs::Entry;
    kz::ModelElement::Builder::Orchestrator* orchestrator = values.getBuilder().getOrchestrator();
    for (auto const& nested : values.getPairBuilders()) {
        if (orchestrator != nullptr) {
            orchestrator->addBuilder(*nested);
        }
        Entry const entry = narrowTo<Entry>(nested->create(boost::uuids::nil_uuid()));
        fileNewEntry(map.getPairsMutable(), entry);
    }
}

/// Carries an owned builder of class X's elements into a creation that files or holds the new
/// element (a map's createIntoPairs, an entry's createIntoValue).
template <class X>
class OwnedBuilder {
  public:
    OwnedBuilder() noexcept = default;
    /// A builder of class X (or of a builder class derived from X's).
    template <std::derived_from<typename X::Builder> B>
    OwnedBuilder(std::unique_ptr<B> builder) noexcept : m_builder(std::move(builder)) {}
    /// A builder known only by its base, e.g. from a class object's instantiateBuilder: the
    /// element it makes is checked to be an X when it is made.
    explicit OwnedBuilder(std::unique_ptr<kz::ModelElement::Builder> builder) noexcept
        : m_builder(std::move(builder)) {}

    kz::ModelElement::Builder* get() const noexcept { return m_builder.get(); }
    explicit operator bool() const noexcept { return m_builder != nullptr; }

  private:
    std::unique_ptr<kz::ModelElement::Builder> m_builder;
};

/// Reports InvalidValue for a creation given no builder.
[[noreturn]] ARVEX_UTILITIES_EXPORT void reportNoBuilder();

/// A map's createIntoPairs: the builder makes a new entry with UUID `id` in the map's model and
/// the entry is filed in "Pairs" (a map reports UniquenessConstraint for a key another entry
/// holds; a multimap files it after the others of its key).
///
/// A proxy map (CannotModifyProxy) and a map that is gone (CannotModifyRemovedElement) are
/// refused before anything is made. The creation and the
/// filing run in the caller's transaction when one is open, or else in one of their own: the
/// builder's creation is a nested level of its own (so that a failed creation leaves nothing),
/// but "Pairs" changes at the caller's level, where the map saves its old pairs once however
/// many entries are created in that transaction. A clash leaves the transaction uncommitted:
/// alone, the call rolls its new entry back; inside an open transaction the entry stays,
/// uncontained, until the caller rolls back.
template <class MapImpl, class Entry>
Entry createIntoPairs(MapImpl& map, OwnedBuilder<Entry> const& builder,
                      boost::uuids::uuid const& id) {
    if (!builder) {
        reportNoBuilder();
    }
    auto& pairs = map.getPairsMutable();
    return asOperation(map, [&] {
        builder.get()->setModel(map.getModel());
        Entry const entry = narrowTo<Entry>(builder.get()->create(id));
        fileNewEntry(pairs, entry);
        return entry;
    });
}

// ---- the builder ----------------------------------------------------------------------------

/// Makes the element of class X for `builder`, whose given values are `values`: the record from
/// Impl(values, id), then, unless `unannounced`, notifyCreated and cascadeCreation. A builder
/// taking part in another builder's creation returns the element it made there already, or
/// makes it inside that creation; a top-level builder runs its own orchestrated creation and
/// commits it. On failure the new handle is released and a top-level creation is rolled back
/// (its orchestrator is destroyed uncommitted).
template <class X, class Values>
kz::ModelElement createFromBuilder(kz::ModelElement::Builder& builder, Values& values,
                                   bool unannounced, boost::uuids::uuid const& id) {
    auto make = [&] {
        X element(new typename X::Impl(std::as_const(values), id));
        if (!unannounced) {
            element->notifyCreated();
            element->cascadeCreation(values);
        }
        return kz::ModelElement(std::move(element));
    };
    if (kz::ModelElement::Builder::Orchestrator* orchestrator = builder.getOrchestrator()) {
        kz::ModelElement made = orchestrator->getCreatedElement(builder);
        return made ? made : make();
    }
    kz::ModelElement::Builder::Orchestrator orchestrator(builder);
    kz::ModelElement element = make();
    orchestrator.commit();
    return element;
}

/// X::Impl::BuilderBase<B>: the framework builder of class X with the given values of
/// X::Impl::BuilderImpl. B is the class's concrete builder (X::Builder).
template <class X, class B>
class BuilderBase : public kz::ModelElement::Builder, private X::Impl::BuilderImpl {
    using Values = typename X::Impl::BuilderImpl;

  public:
    /// One given-property bit per index, index 0 included.
    static constexpr std::size_t BIT_COUNT = X::Impl::BIT_COUNT;

    /// Without a model: one is given later with setModel, or taken from the top-level builder
    /// when this one is nested in another's creation.
    BuilderBase()
        : kz::ModelElement::Builder(BIT_COUNT)
        , Values(static_cast<kz::ModelElement::Builder&>(*this)) {}
    explicit BuilderBase(kz::Model const& model)
        : kz::ModelElement::Builder(model, BIT_COUNT)
        , Values(static_cast<kz::ModelElement::Builder&>(*this)) {}

    /// A new builder of class X for `model` (the shape of the meta registry's builder factory).
    static std::unique_ptr<kz::ModelElement::Builder> newBuilder(kz::Model const& model) {
        return std::make_unique<B>(model);
    }

    /// The given values, with the class's own setters and getters.
    Values& getBuilderImpl() noexcept { return *this; }
    Values const& getBuilderImpl() const noexcept { return *this; }

    using kz::ModelElement::Builder::isGiven;
    kz::meta::Class getMetaClass() const override { return X::metaClass(); }

    /// A property the class takes is stored and its bit set; any other goes to the framework's
    /// version (which reports UnknownProperty).
    void setOrAdd(kz::meta::Property const& property, kz::Value const& value) override {
        mark(Values::doSetOrAdd(property, value),
             [&] { kz::ModelElement::Builder::setOrAdd(property, value); });
    }
    void setOrAdd(kz::meta::Property const& property,
                  std::unique_ptr<kz::ModelElement::Builder>& builder) override {
        mark(Values::doSetOrAdd(property, builder),
             [&] { kz::ModelElement::Builder::setOrAdd(property, builder); });
    }

  protected:
    kz::ModelElement doCreate(bool unannounced, boost::uuids::uuid const& id) override {
        return createFromBuilder<X>(*this, getBuilderImpl(), unannounced, id);
    }

  private:
    template <class F>
    void mark(std::size_t index, F&& notMine) {
        if (index == Values::NOT_MINE) {
            notMine();
        } else {
            setGiven(index);
        }
    }
};

}  // namespace arvex::utilities::detail
