#pragma once

// Allocation failures on demand: the fault-test program replaces the global operator new and
// delete family, so that the K-th allocation from the moment a failure is armed throws
// std::bad_alloc. One failure per arming; allocations after it succeed again.

namespace faults {

/// Makes the `n`-th allocation from now (1: the next one) throw std::bad_alloc.
void armAllocationFailure(long n) noexcept;
/// Cancels an armed allocation failure.
void disarmAllocationFailure() noexcept;
/// Whether the armed failure has happened since it was armed.
bool allocationFailureHappened() noexcept;

}  // namespace faults
