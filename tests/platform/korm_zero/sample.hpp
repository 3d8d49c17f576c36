#pragma once

// A small meta-package for the meta model's tests, built with the same members a library's
// meta-package uses. Every build makes a package of its own (fresh UUIDs, names with a
// running number), so tests can build as often as they like in one process.
//
//   Animal (abstract) : ModelElement   Name [String, flags 1, index 1]
//                                      speak(loudness: Boolean) -> String
//   Dog : Animal                       Toys [Rock, flags 6, containment, index 1,
//                                            qualified by Rock.Label, opposite Rock.Owner]
//                                      Friends [Dog, flags 8, index 2]
//                                      fetch(what: UUID)
//   Puppy : Dog
//   Rock : ModelElement                Label [UUID, flags 1, index 1]
//                                      Owner [Dog, flags 1, index 2, opposite Dog.Toys]
//
// Below it, elements for the tests of collections, builders and queries, written to the library's
// pattern on the classes of a SamplePackage:
//
//   Holder (class Dog)   index 1 "Toys": a TestSequence of Items (containment)
//   Item   (class Rock)  index 1 "Label": a UUID
//
// TestSequence is a minimal ordered collection on the framework's collection bases.

#include <boost/uuid/nil_generator.hpp>
#include <memory>
#include <string>
#include <vector>

#include "korm/zero/builder.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_package.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/zero.hpp"
#include "test_support.hpp"

namespace korm::zero::test {

using arvex_test::MetaBuildScope;

class SamplePackage : public meta::AbstractMetaPackage {
  public:
    /// Creates and links everything in the meta model; runs inside a MetaBuildScope.
    void build();
    /// The whole build in a scope of its own, committed.
    void buildCommitted();

    /// When set, every identity of the build is derived from it (name-based UUIDs), so that
    /// two builds with the same seed make the same identities, as a library's builds do.
    std::string idSeed;

    std::string prefix;  // "sample<n>"
    meta::Package package;
    meta::Class animal, dog, puppy, rock;
    meta::Property name, toys, friends, label, owner;
    meta::Operation speak, fetch;
    meta::Argument loudness, what;

  private:
    boost::uuids::uuid nextId();
    std::string nextIdText();
    int m_idCount = 0;
};

using arvex_test::rec;

inline meta::MetaRegistry& registry() {
    return meta::MetaRegistry::getInstance();
}

/// The sample package the holder classes use (built once per process).
SamplePackage const& holderPackage();

class TestSequence : public ReferenceCollection {
  public:
    TestSequence(ModelElement::Impl* owner, meta::Property property);

    /// Appends with the checks, the bracket and the containment bookkeeping. With
    /// `failAfterChange` it throws after the change, inside the bracket.
    void add(ModelElement const& element, bool failAfterChange = false);
    void remove(ModelElement const& element);
    std::vector<ModelElement> const& items() const noexcept { return m_items; }

    meta::Type getCollectionType() const override;
    bool empty() const override { return m_items.empty(); }
    std::vector<ModelElement> getAllValues() const override { return m_items; }
    void replaceProxy(ModelElement const&, std::size_t) override {}
    void resolveAll() override {}
    void resolveLocal() override {}
    bool basicContainsProxyTo(ModelElement const&) override { return false; }
    bool resolveAdd(ModelElement const& element) override;

  protected:
    friend class Holder;
    void basicAdd(ModelElement const& element) override { m_items.push_back(element); }
    void basicRemove(ModelElement const& element) override;
    void basicClear() override;
    void basicCopyValues(ReferenceCollection const& source) override;

  private:
    class Generic;
    std::vector<ModelElement> m_items;
};

class Holder : public ModelElement::Impl {
  public:
    class Storage;
    Holder(Model const& model, boost::uuids::uuid const& id);
    Holder(ModelElement::Builder& builder, boost::uuids::uuid const& id);
    static ModelElement create(Model const& model);

    TestSequence& toys() { return *m_toys; }

    meta::Class getMetaClass() const override;
    /// "Toys" (index 1), its value referring to the sequence.
    meta::Property getPropertyByIndex(std::size_t index) const override;
    Value getPropertyValue(meta::Property const& property, AccessTag tag) const override;
    void inverseRemove(ModelElement const& element, meta::Property const& property) override;
    void basicDisassociateAll() override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;

  private:
    std::unique_ptr<TestSequence> m_toys;
};

class Item : public ModelElement::Impl {
  public:
    class Storage;
    Item(Model const& model, boost::uuids::uuid const& id);
    Item(ModelElement::Builder& builder, boost::uuids::uuid const& id);
    static ModelElement create(Model const& model,
                               boost::uuids::uuid const& label = boost::uuids::nil_uuid());
    /// A proxy Item standing for `id`.
    static ModelElement createProxy(Model const& model, ProxyId id);

    boost::uuids::uuid const& getLabel() const noexcept { return m_label; }
    void setLabel(boost::uuids::uuid const& label);

    meta::Class getMetaClass() const override;
    /// "Label" (index 1), read and written as a UUID value.
    meta::Property getPropertyByIndex(std::size_t index) const override;
    Value getPropertyValue(meta::Property const& property, AccessTag tag) const override;
    void setPropertyValue(meta::Property const& property, Value const& value,
                          AccessTag tag) override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;

  private:
    boost::uuids::uuid m_label = boost::uuids::nil_uuid();
};

/// Builders written to the generated pattern. ItemBuilder takes "Label"; HolderBuilder takes
/// Item builders under "Toys" and inserts their items in its cascade. `failInCascade` makes
/// the holder's cascade throw after its items were made.
class ItemBuilder : public ModelElement::Builder {
  public:
    ItemBuilder() : Builder(2) {}
    explicit ItemBuilder(Model const& model) : Builder(model, 2) {}
    meta::Class getMetaClass() const override;
    void setOrAdd(meta::Property const& property, Value const& value) override;
    using Builder::setOrAdd;
    boost::uuids::uuid label = boost::uuids::nil_uuid();

  protected:
    ModelElement doCreate(bool unannounced, boost::uuids::uuid const& id) override;
};

class HolderBuilder : public ModelElement::Builder {
  public:
    explicit HolderBuilder(Model const& model) : Builder(model, 2) {}
    meta::Class getMetaClass() const override;
    void setOrAdd(meta::Property const& property, std::unique_ptr<Builder>& builder) override;
    using Builder::setOrAdd;
    std::vector<std::unique_ptr<Builder>> toys;
    bool failInCascade = false;

  protected:
    ModelElement doCreate(bool unannounced, boost::uuids::uuid const& id) override;
};

/// A Value carrying a UUID described by `meta` (by default a single UUID): the test's own
/// typed-value support for UUIDs.
Value uuidValue(boost::uuids::uuid const& id);
Value uuidValue(boost::uuids::uuid const& id, ValueMeta meta);

}  // namespace korm::zero::test

namespace korm::zero {
template <>
void Value::checkCompatible<boost::uuids::uuid>() const;
template <>
boost::uuids::uuid Value::getValue<boost::uuids::uuid>() const;
}  // namespace korm::zero
