#pragma once

// Transaction: one level of a model's transaction nesting.

#include <boost/optional.hpp>
#include <cstddef>

#include "korm/zero/export.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// A transaction on a model, from Model::Impl::beginTransaction.
///
/// Transactions nest: one begun while another is open folds into it, and only the outermost
/// commit makes the changes final, as one undo step. A transaction destroyed without commit
/// rolls back everything changed since it began (nested ones included) and leaves the
/// transactions around it open. Transactions end in the reverse order of their beginning;
/// committing one while a transaction nested in it is open reports TransactionOutOfOrder,
/// destroying one rolls the nested ones back too.
///
/// A transaction keeps its model alive. A default-constructed transaction, and one begun while
/// the model restores old values, is inert: commit and destruction do nothing.
class KORM_ZERO_EXPORT Transaction {
  public:
    Transaction() noexcept = default;
    Transaction(Transaction&& other) noexcept;
    Transaction& operator=(Transaction&& other) noexcept;
    Transaction(Transaction const&) = delete;
    Transaction& operator=(Transaction const&) = delete;
    /// Rolls back when still open.
    ~Transaction();

    /// Ends the transaction keeping its changes. For the outermost one this makes the undo
    /// step (unless it was begun non-undoable) and tells the model's listeners; `value`, the
    /// transaction's result, travels with the step and the listeners' event. Committing twice
    /// does nothing, and so does committing a level an enclosing rollback already undid.
    void commit(boost::optional<Value> const& value = boost::none);
    /// True until committed or rolled back.
    bool isOpen() const noexcept { return m_model != nullptr; }

  private:
    friend class Model::Impl;
    Transaction(Model::Impl* model, std::size_t level) noexcept;
    void rollback() noexcept;

    Model::Impl* m_model = nullptr;  // holds a reference while open
    std::size_t m_level = 0;         // nesting depth, 1 for the outermost
};

}  // namespace korm::zero
