#pragma once

// The fault sweep: an operation is run with its K-th allocation, or its K-th framework call,
// failing, for K = 1, 2, ... until it completes. After every injected failure the model must
// be exactly as before (its full dump), no element record may be left over, and the model must
// still work: the operation, run again without a fault, succeeds.

#include <functional>
#include <string>

#include "korm/zero/model.hpp"

namespace faults {

enum class Fault { ALLOCATION, FRAMEWORK_CALL };

enum class Scope {
    ALONE,        // the call as it is: its own transaction, if it makes one
    TRANSACTION,  // inside an explicit transaction, which the sweep then rolls back
};

/// One sweep case: the operation, and how to run it again without fault and take it back
/// (the default: inside a transaction that is then rolled back; undo and redo give their own).
struct Operation {
    std::function<void()> run;
    std::function<void()> retryAndTakeBack;
};

/// Sweeps `operation` on `model` and returns the number of failures injected (the fault
/// points tried). Reports every inconsistency through GoogleTest, naming `name`.
long sweep(std::string const& name, korm::zero::Model const& model, Operation const& operation,
           Fault fault, Scope scope);

/// The fault points tried by every sweep of the program so far.
long totalFaultPoints() noexcept;

}  // namespace faults
