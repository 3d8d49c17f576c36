#pragma once

// Link: an element class of a meta-package of its own whose one property, "Target", is a
// plain (non-containment) reference to a Dog (a Holder of the holder package). It may point
// into another model, and a held proxy is resolved when the target is read: the shape of
// reference that model files save with a model name and resolve through model files.

#include <memory>

#include "sample.hpp"

namespace korm::zero::test {

/// The package of Link: built once per process; register its root package to use it in files.
struct LinkPackage {
    meta::Package package;
    meta::Class link;
    meta::Property target;
};
LinkPackage const& linkPackage();

class Link : public ModelElement::Impl {
  public:
    class Storage;
    Link(Model const& model, boost::uuids::uuid const& id);
    Link(ModelElement::Builder& builder, boost::uuids::uuid const& id);
    static ModelElement create(Model const& model, ModelElement const& target);

    /// The target; a held proxy is first resolved and replaced by its element when that is a
    /// Dog (not while the framework resolves).
    ModelElement getTarget() const;
    ModelElement const& peekTarget() const noexcept { return m_target; }
    void setTarget(ModelElement const& target);

    meta::Class getMetaClass() const override;
    meta::Property getPropertyByIndex(std::size_t index) const override;
    /// "Target" as a value referring to the held handle (resolved first unless the tag says
    /// not to).
    Value getPropertyValue(meta::Property const& property, AccessTag tag) const override;
    void setPropertyValue(meta::Property const& property, Value const& value,
                          AccessTag tag) override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;

  private:
    mutable ModelElement m_target;
};

/// Makes Links for the model-file reader (no properties of its own: values come after).
class LinkBuilder : public ModelElement::Builder {
  public:
    explicit LinkBuilder(Model const& model) : Builder(model, 2) {}
    meta::Class getMetaClass() const override;

  protected:
    ModelElement doCreate(bool unannounced, boost::uuids::uuid const& id) override;
};

}  // namespace korm::zero::test
