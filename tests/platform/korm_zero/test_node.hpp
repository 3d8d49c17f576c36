#pragma once

// TestNode: a small element class for the framework's tests, written to the same pattern as
// the library's classes: a handle, a record with its properties and overrides, and an
// old-value record.
//
//   index 1 "Name"     UTF-16 string
//   index 2 "Weight"   64-bit integer
//   index 3 "Children" ordered containment of TestNodes
//   index 4 "Partner"  single reference to a TestNode (may be a proxy)

#include <boost/uuid/nil_generator.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "korm/zero/zero.hpp"

namespace korm::zero::test {

class TestNode : public ModelElement {
  public:
    class Impl;

    TestNode() noexcept = default;
    explicit TestNode(Impl* record) noexcept;
    explicit TestNode(ModelElement const& element) noexcept;

    /// A new node in `model` (transaction, record, notifyCreated, commit).
    static TestNode create(Model const& model,
                           boost::uuids::uuid const& id = boost::uuids::nil_uuid());

    Impl* operator->() const noexcept;
    Impl* impl() const noexcept;
};

class TestNode::Impl : public ModelElement::Impl {
  public:
    class Storage;

    static constexpr std::size_t NAME = 1;
    static constexpr std::size_t WEIGHT = 2;
    static constexpr std::size_t CHILDREN = 3;
    static constexpr std::size_t PARTNER = 4;
    static constexpr std::size_t BIT_COUNT = 5;

    Impl(Model const& model, boost::uuids::uuid const& id);
    ~Impl() override;

    TestNode This() const;

    std::u16string const& getName() const noexcept { return m_name; }
    void setName(std::u16string const& name);
    std::int64_t getWeight() const noexcept { return m_weight; }
    void setWeight(std::int64_t weight);
    std::vector<TestNode> const& getChildren() const noexcept { return m_children; }
    /// Appends `child` (taking it from its old container). Refuses a child that would contain
    /// this node (std::invalid_argument).
    void addChild(TestNode const& child);
    void removeChild(TestNode const& child);
    /// The partner; a held proxy is resolved first unless the framework is resolving proxies.
    TestNode getPartner();
    TestNode const& peekPartner() const noexcept { return m_partner; }
    void setPartner(TestNode const& partner);

    // Framework overrides.
    meta::Class getMetaClass() const override;
    void doDestroy(bool disassociate, bool toProxies) override;
    void inverseAdd(ModelElement const& element, meta::Property const& property) override;
    void inverseRemove(ModelElement const& element, meta::Property const& property) override;
    void basicDisassociateAll() override;
    std::unique_ptr<ModelElement::Impl::Changes> createChanges() const override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;

  private:
    friend class Storage;
    void checkNotProxy() const;
    /// Sets `member` to `value` as a change of property `index` (nothing if equal).
    template <class T>
    void change(T& member, T const& value, std::size_t index);

    std::u16string m_name;
    std::int64_t m_weight = 0;
    std::vector<TestNode> m_children;
    TestNode m_partner;
};

class TestNode::Impl::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;

    void revertUnchanged(ModelElement::Impl const& record) override;

    std::u16string oldName;
    std::int64_t oldWeight = 0;
    std::vector<TestNode> oldChildren;
    TestNode oldPartner;
};

/// A text of everything in `model`: every live element (sorted by UUID) with its properties,
/// its framework containment and its partner, for comparing model states.
std::string dump(Model const& model);

}  // namespace korm::zero::test
