// Fault sweeps over the maps, entries, builders, undo and redo, and the regressions they found.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <iostream>
#include <memory>

#include "allocation_faults.hpp"
#include "arvex/utilities/builders.hpp"
#include "model_dump.hpp"
#include "sweep_cases.hpp"

namespace faults {
namespace {

namespace au = arvex::utilities;
using au::detail::Meta;

void reportPoints(char const* what) {
    std::cout << what << ": " << totalFaultPoints() << " fault points, every one consistent\n";
    ::testing::Test::RecordProperty("fault_points", static_cast<int>(totalFaultPoints()));
}

TEST(FaultSweep, EveryMapOperationEntrySetterAndBuilder) {
    sweepAll(modelCases());
    reportPoints("maps, entries and builders");
}

// Undo and redo either complete or leave the model, both histories included, as they were:
// a failed redo used to drop its step.
TEST(FaultSweep, UndoAndRedoKeepTheirStepWhenTheyFail) {
    for (Fault fault : {Fault::ALLOCATION, Fault::FRAMEWORK_CALL}) {
        {
            Sample sample;
            korm::zero::Model const model = sample.model;
            sweep("undo", model,
                  {[model] { model.undo(); },
                   [model] {
                       model.undo();
                       model.redo();
                   }},
                  fault, Scope::ALONE);
        }
        Sample sample;
        korm::zero::Model const model = sample.model;
        model.undo();
        model.undo();
        model.redo();
        ASSERT_TRUE(model->canRedo());
        long const points = sweep("redo", model,
                                  {[model] { model.redo(); },
                                   [model] {
                                       model.redo();
                                       model.undo();
                                   }},
                                  fault, Scope::ALONE);
        if (fault == Fault::ALLOCATION) {
            EXPECT_GT(points, 0) << "a redo that restores pairs allocates";
        }
        EXPECT_TRUE(model->canUndo());
    }
    reportPoints("undo and redo");
}

// A nested builder whose registration with the orchestrator fails is not left pointing at it:
// it used to call forget() on the orchestrator after that was gone.
TEST(FaultSweep, ABuilderWhoseRegistrationFailsIsNotTiedToTheOrchestrator) {
    Sample sample;
    au::UUIDMap::Builder top(sample.model);
    auto nested = std::make_unique<au::UUIDMapEntry::Builder>();
    {
        korm::zero::ModelElement::Builder::Orchestrator orchestrator(top);
        armAllocationFailure(1);
        EXPECT_THROW(orchestrator.addBuilder(*nested), std::bad_alloc);
        disarmAllocationFailure();
        EXPECT_EQ(nested->getOrchestrator(), nullptr);
    }
    nested.reset();
    // Builders still work.
    EXPECT_TRUE(top.create(boost::uuids::nil_uuid()));
}

}  // namespace
}  // namespace faults
