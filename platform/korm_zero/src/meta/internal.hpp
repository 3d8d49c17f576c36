#pragma once

// What the meta model's sources share inside the library.

#include <boost/uuid/uuid.hpp>
#include <string>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"

namespace korm::zero::meta::detail {

/// The framework's meta-class of a kind of meta object (empty until the registry exists).
Class kindClass(MetaKind kind) noexcept;

/// Empties the StandardTypes entries (the registry is going away).
void resetStandardTypes() noexcept;

/// Counts a creation for the test hook (testing::armFailure); throws InjectedFailure when the
/// armed creation is reached.
void beforeCreation();

/// A new meta object record of type R in `model` with UUID `id` and that name, announced in a
/// transaction of its own (nested in an open one).
template <class R>
ModelElement createRecord(Model const& model, boost::uuids::uuid const& id,
                          std::u16string const& name) {
    Transaction transaction = model->beginTransaction(true);
    ModelElement const element(new R(model, id));
    static_cast<R*>(element.getImpl())->setName(name);
    element->notifyCreated();
    transaction.commit();
    return element;
}

}  // namespace korm::zero::meta::detail
