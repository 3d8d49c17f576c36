#pragma once

// The host side of the bindings' tests: the library is loaded by file name and initialised
// through its exported entry point, then driven only through the host's call interface.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "korm/zero/zi/zi.hpp"
#include "olan/olan.hpp"

namespace bindings_test {

using olan::Value;
namespace host = olan::host;

/// Loads the library (once per process) and answers its entry point.
using EntryPoint = void (*)();
EntryPoint entryPoint(char const* name);
/// dlopen + ZRInitialize_arvex_utilities.
void loadAndInitialise();

/// Whether the library's meta-package is registered with the framework's meta registry.
bool metaPackageBuilt();

inline constexpr char const* MapClass = "arvex.utilities.UUIDMap";
inline constexpr char const* EntryClass = "arvex.utilities.UUIDMapEntry";
inline constexpr char const* MultiMapClass = "arvex.utilities.UUIDMultiMap";
inline constexpr char const* TwoLevelClass = "arvex.utilities.UUIDToUUIDMap";
inline constexpr char const* TwoLevelEntryClass = "arvex.utilities.UUIDToUUIDMapEntry";
inline constexpr char const* PathClass = "arvex.utilities.FullPathAPI";

/// A model object and the host objects made in it; every test ends with no host object, no
/// binding and no failed destroy-instance left, after dropping what it made.
class BindingsTest : public ::testing::Test {
  protected:
    BindingsTest();
    void TearDown() override;

    /// Constructs an object of `className` in the test's model.
    Value make(std::string_view className, host::Inputs const& extra = {});
    /// The test's model object.
    Value model;
};

inline Value text(std::string_view utf8) {
    return Value(zvCreateString_UTF8(utf8));
}
std::string textOf(Value const& value);
bool flagOf(Value const& value);
/// The texts of a 1-by-n cell of strings.
std::vector<std::string> cellTexts(Value const& value);
/// One output of a call on an object.
Value callOne(Value const& object, std::string_view method, host::Inputs const& inputs = {});
void callNone(Value const& object, std::string_view method, host::Inputs const& inputs = {});
/// A 1-by-1 struct with the given text fields.
Value structOf(std::vector<std::pair<std::string, std::string>> const& fields);

// Fixed UUID texts.
inline constexpr char const* K1 = "00000000-0000-0000-0000-000000000001";
inline constexpr char const* K2 = "00000000-0000-0000-0000-000000000002";
inline constexpr char const* V1 = "10000000-0000-0000-0000-000000000001";
inline constexpr char const* V2 = "10000000-0000-0000-0000-000000000002";
inline constexpr char const* NIL = "00000000-0000-0000-0000-000000000000";
inline constexpr char const* BAD = "not-a-uuid";

/// The message id of the native error behind a host error, else the host error's identifier.
std::string errorIdOf(olan::HostError const& error);

#define EXPECT_HOST_ERROR(statement, expectedId)                                   \
    do {                                                                           \
        try {                                                                      \
            statement;                                                             \
            ADD_FAILURE() << "nothing raised, expected " << (expectedId);          \
        } catch (olan::HostError const& error_) {                                  \
            EXPECT_EQ(::bindings_test::errorIdOf(error_), std::string(expectedId)) \
                << error_.what();                                                  \
        }                                                                          \
    } while (false)

}  // namespace bindings_test
