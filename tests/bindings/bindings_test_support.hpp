#pragma once

// The host side of the bindings' tests: the library is loaded by file name and initialised
// through its exported entry point, then used only through the host's call interface.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "korm/zero/zi/zi.hpp"
#include "olan/olan.hpp"

namespace bindings_test {

using olan::Value;
namespace host = olan::host;

/// An exported function of the library, loaded (once per process, never unloaded) by dlopen.
void (*entryPoint(char const* name))();
inline void loadAndInitialise() {
    entryPoint("ZRInitialize_arvex_utilities")();
}
/// Whether the library's meta-package is registered with the framework's meta registry.
bool metaPackageBuilt();

inline constexpr char const* PathClass = "arvex.utilities.FullPathAPI";
inline constexpr char const* MapClass = "arvex.utilities.UUIDMap";
inline constexpr char const* EntryClass = "arvex.utilities.UUIDMapEntry";
inline constexpr char const* MultiMapClass = "arvex.utilities.UUIDMultiMap";
inline constexpr char const* TwoLevelClass = "arvex.utilities.UUIDToUUIDMap";
inline constexpr char const* TwoLevelEntryClass = "arvex.utilities.UUIDToUUIDMapEntry";

inline constexpr char const* K1 = "00000000-0000-0000-0000-000000000001";
inline constexpr char const* K2 = "00000000-0000-0000-0000-000000000002";
inline constexpr char const* V1 = "10000000-0000-0000-0000-000000000001";
inline constexpr char const* V2 = "10000000-0000-0000-0000-000000000002";
inline constexpr char const* NIL = "00000000-0000-0000-0000-000000000000";
inline constexpr char const* BAD = "not-a-uuid";

/// A test with a model object. It ends by dropping the model and checking that no host
/// object, binding or failed destroy-instance is left (ASan then finds any element record
/// whose reference was not released).
class BindingsTest : public ::testing::Test {
  protected:
    BindingsTest();
    void TearDown() override;
    /// Constructs an object of `className` in the test's model, with further inputs.
    Value make(std::string_view className, host::Inputs const& extra = {});

    Value model;
};

inline Value text(std::string_view utf8) {
    return Value(zvCreateString_UTF8(utf8));
}
inline std::string textOf(Value const& value) {
    return zvGetString_UTF8(value.get());
}
inline bool flagOf(Value const& value) {
    return zvGetLogical(value.get(), 0);
}
std::vector<std::string> cellTexts(Value const& value);
Value callOne(Value const& object, std::string_view method, host::Inputs const& inputs = {});
inline void callNone(Value const& object, std::string_view method, host::Inputs const& in = {}) {
    host::callOn(object.get(), method, in, 0);
}
/// A 1-by-1 struct with text fields.
Value structOf(std::vector<std::pair<std::string, std::string>> const& fields);

/// "bad_lexical_cast" for a host error caused by one, else the host error's identifier (which
/// is the message id for the framework's messages).
std::string errorIdOf(olan::HostError const& error);

#define EXPECT_HOST_ERROR(statement, expectedId)                                                  \
    do {                                                                                          \
        try {                                                                                     \
            statement;                                                                            \
            ADD_FAILURE() << "nothing raised, expected " << (expectedId);                         \
        } catch (olan::HostError const& error_) {                                                 \
            EXPECT_EQ(::bindings_test::errorIdOf(error_), std::string(expectedId)) << #statement; \
        }                                                                                         \
    } while (false)

}  // namespace bindings_test
