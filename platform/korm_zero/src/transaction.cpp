#include "korm/zero/transaction.hpp"

#include <utility>

#include "korm/zero/messages.hpp"
#include "korm/zero/model_impl.hpp"

namespace korm::zero {

Transaction::Transaction(Model::Impl* model, std::size_t level) noexcept
    : m_model(model), m_level(level) {
    m_model->addRef();
}

Transaction::Transaction(Transaction&& other) noexcept
    : m_model(std::exchange(other.m_model, nullptr)), m_level(other.m_level) {}

Transaction& Transaction::operator=(Transaction&& other) noexcept {
    if (this != &other) {
        rollback();
        m_model = std::exchange(other.m_model, nullptr);
        m_level = other.m_level;
    }
    return *this;
}

Transaction::~Transaction() {
    rollback();
}

void Transaction::commit(boost::optional<Value> const& value) {
    if (m_model == nullptr) {
        return;
    }
    auto const depth = m_model->getTransactionDepth();
    if (depth < m_level) {
        // An enclosing transaction was rolled back, and this level with it.
        std::exchange(m_model, nullptr)->removeRef();
        return;
    }
    if (depth > m_level) {
        reportException(korm0::messages::TransactionOutOfOrder(m_model->getName()));
    }
    // From here on the transaction is over, even if a listener throws.
    Model const model(m_model);
    std::exchange(m_model, nullptr)->removeRef();
    model->commitLevel(m_level, value);
}

void Transaction::rollback() noexcept {
    if (m_model != nullptr) {
        Model::Impl* const model = std::exchange(m_model, nullptr);
        model->rollbackLevel(m_level);
        model->removeRef();
    }
}

}  // namespace korm::zero
