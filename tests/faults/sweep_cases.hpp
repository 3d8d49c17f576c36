#pragma once

// The operations the sweeps run, each on a fresh sample model.

#include <functional>
#include <string>
#include <vector>

#include "sample_model.hpp"
#include "sweep.hpp"

namespace faults {

struct Case {
    std::string name;
    std::function<Operation(Sample&)> make;
};

/// Every public operation of the three maps (changes and look-ups), the entry setters,
/// createIntoPairs, createIntoValue, destroy and builders (top-level and nested).
std::vector<Case> modelCases();

/// Runs every case under both kinds of fault, alone and inside a rolled-back transaction.
void sweepAll(std::vector<Case> const& cases);

}  // namespace faults
