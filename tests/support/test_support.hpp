#pragma once

// Helpers shared by the test programs. Header-only and built on the framework alone, so that
// programs linking only the framework and programs linking the library can both use them.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/zero.hpp"
#include "tarsk/core/except/exception.hpp"

namespace arvex_test {

namespace kmeta = korm::zero::meta;

/// The typed record of a meta-object handle.
inline kmeta::Type::Impl* rec(kmeta::Type const& h) {
    return h.getTypeImpl();
}
inline kmeta::Class::Impl* rec(kmeta::Class const& h) {
    return h.getClassImpl();
}
inline kmeta::Property::Impl* rec(kmeta::Property const& h) {
    return h.getPropertyImpl();
}
inline kmeta::Operation::Impl* rec(kmeta::Operation const& h) {
    return h.getOperationImpl();
}
inline kmeta::Argument::Impl* rec(kmeta::Argument const& h) {
    return h.getArgumentImpl();
}
inline kmeta::Package::Impl* rec(kmeta::Package const& h) {
    return h.getPackageImpl();
}

/// Holds what a meta-package build holds: the registry's mutex, a thaw of the meta model and
/// a transaction of it (rolled back unless committed).
class MetaBuildScope {
  public:
    MetaBuildScope()
        : m_lock(kmeta::MetaRegistry::getInstance().getMutex())
        , m_thaw(kmeta::MetaRegistry::getInstance().getFreezer().thaw())
        , m_transaction(kmeta::MetaRegistry::getInstance().getMetaModel()->beginTransaction(true)) {
    }
    void commit() { m_transaction.commit(); }

  private:
    std::unique_lock<std::recursive_mutex> m_lock;
    korm::zero::Model::Thawer m_thaw;
    korm::zero::Transaction m_transaction;
};

/// The message id ("component:key") of what `f` throws, or "" when it throws nothing.
template <class F>
std::string thrownId(F&& f) {
    try {
        f();
    } catch (tarsk::core::except::Message const& message) {
        return std::string(message.getId());
    }
    return "";
}

/// The what() of the standard exception `f` throws ("<message id>: <text>" for a message), or
/// empty when it throws nothing.
template <class F>
std::string thrownWhat(F&& f) {
    try {
        f();
    } catch (std::exception const& e) {
        return e.what();
    }
    return "";
}

/// Runs `body(i)` on `count` threads that all start at once (each waits until every thread
/// is running), and joins them.
template <class Body>
void runTogether(int count, Body body) {
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            ready.fetch_add(1);
            while (ready.load() < count) {
            }
            body(i);
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
}

using NamedChange = std::pair<char const*, std::function<void()>>;

/// Each change, made in a transaction that is rolled back, must leave `state()` as it was;
/// made again and committed (in a transaction of its own when `ownTransaction`, else as the
/// change's own step), undo must give the state before and redo the state after.
template <class State>
void expectRollbackUndoRedo(korm::zero::Model& model, State state,
                            std::vector<NamedChange> const& changes, bool ownTransaction = true) {
    for (auto const& [name, change] : changes) {
        SCOPED_TRACE(name);
        std::string const before = state();
        {
            korm::zero::Transaction transaction = model->beginTransaction(false);
            change();
            ASSERT_NE(state(), before);
        }
        EXPECT_EQ(state(), before);
        if (ownTransaction) {
            korm::zero::Transaction transaction = model->beginTransaction(false);
            change();
            transaction.commit();
        } else {
            change();
        }
        std::string const after = state();
        model.undo();
        EXPECT_EQ(state(), before);
        model.redo();
        EXPECT_EQ(state(), after);
        model.undo();
    }
}

struct FailureCase {
    char const* name;
    std::function<void()> change;
    std::string id;  // the message id expected, "" for a change that must be refused silently
};

/// Each case must report its message id (or nothing) and leave `state()` unchanged.
template <class State>
void expectFailuresChangeNothing(State state, std::vector<FailureCase> const& cases) {
    std::string const before = state();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(thrownId(c.change), c.id);
        EXPECT_EQ(state(), before);
    }
}

}  // namespace arvex_test
