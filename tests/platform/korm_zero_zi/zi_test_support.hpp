#pragma once

// Helpers for the tests of the framework's scripting support: the host classes registered once
// per process, and host classes for the framework's sample elements (written the way script
// bindings of element classes are).

#include <gtest/gtest.h>

#include <boost/uuid/uuid.hpp>
#include <string>
#include <vector>

#include "../korm_zero/sample.hpp"
#include "korm/zero/zi/zi.hpp"
#include "olan/olan.hpp"

namespace zi_test {

using korm::zero::Model;
using korm::zero::ModelElement;
using olan::Value;
namespace host = olan::host;

/// initialize(), the Dog builder factory, and the host package of the sample classes:
/// "<prefix>.Dog" (a Holder: constructor (model, opt_init), read-only "Toys" view) and
/// "<prefix>.Rock" (an Item, no members), both below "korm.zero.ModelElement".
void setUpOnce();
std::string dogClass();
std::string rockClass();

/// Every test starts with the host classes registered and ends with no host object and no
/// binding left.
class ZiTest : public ::testing::Test {
  protected:
    // In the constructor, so that members of derived fixtures can use the host classes.
    ZiTest() { setUpOnce(); }
    void TearDown() override;
};

inline Value text(std::string_view utf8) {
    return Value(zvCreateString_UTF8(utf8));
}
std::string textOf(Value const& value);
double numberOf(Value const& value);
bool flagOf(Value const& value);

/// A call on an object that gives one output.
Value callOne(Value const& object, std::string_view method, host::Inputs const& inputs = {});

/// A 1-by-1 struct with one field.
Value structOf(std::string_view field, Value value);

/// The message id of the native error behind a host error, else the host error's identifier.
#define EXPECT_ERROR_ID(statement, expectedId)                                        \
    do {                                                                              \
        try {                                                                         \
            statement;                                                                \
            ADD_FAILURE() << "nothing raised, expected " << (expectedId);             \
        } catch (olan::HostError const& error_) {                                     \
            EXPECT_EQ(error_.identifier(), std::string(expectedId)) << error_.what(); \
        } catch (tarsk::core::except::Message const& message_) {                      \
            EXPECT_EQ(message_.getId(), std::string(expectedId));                     \
        }                                                                             \
    } while (false)

}  // namespace zi_test
