#include "sweep.hpp"

#include <gtest/gtest.h>

#include <exception>

#include "allocation_faults.hpp"
#include "korm/zero/element_impl.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/testing.hpp"
#include "model_dump.hpp"
#include "tarsk/core/except/exception.hpp"

namespace faults {
namespace {

namespace kz = korm::zero;

// A sweep stops here even if the operation never completes (it then fails the test).
constexpr long MAX_POINTS = 100000;

long g_total = 0;

// Arms the failure for the lifetime of the object.
class Armed {
  public:
    Armed(Fault fault, long n) noexcept {
        if (fault == Fault::ALLOCATION) {
            armAllocationFailure(n);
        } else {
            kz::testing::armFailure(static_cast<int>(n));
        }
    }
    ~Armed() {
        disarmAllocationFailure();
        kz::testing::disarmFailure();
    }
    Armed(Armed const&) = delete;
    Armed& operator=(Armed const&) = delete;
};

bool isInjected(std::exception_ptr const& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (std::bad_alloc const&) {
        return true;
    } catch (tarsk::core::except::Exception<korm0::messages::InjectedFault> const&) {
        return true;
    } catch (...) {
        return false;
    }
}

// Runs the operation with the n-th fault armed; gives the failure, or null when it completed.
std::exception_ptr runArmed(kz::Model const& model, Operation const& operation, Fault fault,
                            Scope scope, long n) {
    std::exception_ptr failure;
    kz::Transaction transaction;
    if (scope == Scope::TRANSACTION) {
        transaction = model->beginTransaction(false);
    }
    {
        Armed const armed(fault, n);
        try {
            operation.run();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    return failure;  // the explicit transaction rolls back here
}

void retryAndTakeBack(kz::Model const& model, Operation const& operation) {
    if (operation.retryAndTakeBack) {
        operation.retryAndTakeBack();
        return;
    }
    kz::Transaction const transaction = model->beginTransaction(false);
    operation.run();
}

}  // namespace

namespace {

// The sweep proper; `points` counts the failures injected so far.
void sweepInto(std::string const& name, kz::Model const& model, Operation const& operation,
               Fault fault, Scope scope, long& points) {
    for (long n = 1; n <= MAX_POINTS; ++n) {
        std::string const before = dumpModel(model);
        std::size_t const records = kz::ElementImpl::liveRecordCount();
        std::exception_ptr const failure = runArmed(model, operation, fault, scope, n);
        if (scope == Scope::TRANSACTION || failure) {
            // Rolled back or failed: exactly as before, with no record left over.
            ASSERT_EQ(dumpModel(model), before) << name << ", fault " << n;
            ASSERT_EQ(kz::ElementImpl::liveRecordCount(), records) << name << ", fault " << n;
        }
        if (!failure) {
            return;
        }
        ++points;
        ASSERT_TRUE(isInjected(failure)) << name << ", fault " << n << ": another error";
        ASSERT_NO_THROW(retryAndTakeBack(model, operation)) << name << ", fault " << n;
        ASSERT_EQ(dumpModel(model), before) << name << ", fault " << n << ", after the retry";
    }
    ADD_FAILURE() << name << " never completed";
}

}  // namespace

long sweep(std::string const& name, kz::Model const& model, Operation const& operation, Fault fault,
           Scope scope) {
    long points = 0;
    sweepInto(name, model, operation, fault, scope, points);
    g_total += points;
    return points;
}

long totalFaultPoints() noexcept {
    return g_total;
}

}  // namespace faults
