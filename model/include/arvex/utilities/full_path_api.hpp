#pragma once

// FullPathAPI: the model class that carries the splitting of named paths as a static model
// operation. It has no properties of its own.

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <memory>
#include <string>
#include <vector>

#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/detail/element_pattern.hpp"
#include "arvex/utilities/detail/query_pattern.hpp"
#include "arvex/utilities/export.hpp"

namespace arvex::utilities {

class ARVEX_UTILITIES_EXPORT FullPathAPI : public detail::ElementHandle<FullPathAPI> {
  public:
    class Impl;
    using ElementHandle::ElementHandle;

    static korm::zero::meta::Class metaClass();
    static FullPathAPI create(korm::zero::Model const& model,
                              boost::uuids::uuid const& id = boost::uuids::nil_uuid());

    /// The component names of a named path (fullpath::getComponentNames, unchanged). Needs
    /// no model and no instance.
    static std::vector<std::u16string> getComponentNames(std::u16string const& namedPath);

    // Builders and queries (builders.hpp, queries.hpp).
    class Builder;
    class BuilderWrapper;
    class Constrainables;
    /// The element UUID in model queries: one constant object of the class.
    static detail::UuidOf<FullPathAPI> const& Uuid();
};

class ARVEX_UTILITIES_EXPORT FullPathAPI::Impl : public detail::RecordBase<FullPathAPI, 0> {
  public:
    /// No fields beyond the framework's.
    class Storage : public korm::zero::ModelElement::Impl::Storage {
      public:
        using korm::zero::ModelElement::Impl::Storage::Storage;
    };

    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);
    ~Impl() override;

    // Builders (builders.hpp, builders.cpp).
    class BuilderImpl;
    template <class B>
    using BuilderBase = detail::BuilderBase<FullPathAPI, B>;
    /// The record a builder makes (no properties of its own).
    Impl(BuilderImpl const& builder, boost::uuids::uuid const& id);
    /// Nothing: the class owns no elements.
    void cascadeCreation(BuilderImpl& builder);

    std::unique_ptr<korm::zero::ModelElement::Impl::Storage> createStorage() const override;
};

}  // namespace arvex::utilities
