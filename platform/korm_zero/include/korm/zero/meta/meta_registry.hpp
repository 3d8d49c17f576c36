#pragma once

// The process-wide meta registry: the meta model, its packages, classes and primitive types,
// and per type the collection and builder factories, names and operation invokers.
//
// Declared here for the element layer; defined with the meta model.

#include <memory>
#include <mutex>
#include <string>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"

namespace korm::zero::meta {

class KORM_ZERO_EXPORT MetaRegistry {
  public:
    using CollectionFactory = ReferenceCollection* (*)(ModelElement::Impl* owner,
                                                       Property const& property);
    using BuilderFactory = std::unique_ptr<ModelElement::Builder> (*)(Model const& model);

    static MetaRegistry& getInstance();

    /// Recursive: the meta-package build locks it again on the same thread.
    std::recursive_mutex& getMutex() noexcept;
    Model const& getMetaModel() const noexcept;
    Model::Freezer& getFreezer() noexcept;

    /// The primitive type of that name ("UUID", "String", "Boolean", ...), or an empty handle.
    Type getType(std::u16string const& name) const;
};

}  // namespace korm::zero::meta
