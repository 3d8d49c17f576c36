#include "tarsk/core/except/internal_exception.hpp"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

using tarsk::core::except::allocate;
using tarsk::core::except::BadAllocation;
using tarsk::core::except::IInternalException;

struct OutOfMemory {
    OutOfMemory() { throw std::bad_alloc(); }
};
struct Refused {
    Refused() { throw std::invalid_argument("refused"); }
};
struct Made {
    explicit Made(std::string text) : text(std::move(text)) {}
    std::string text;
};

TEST(Allocate, AFailedAllocationIsTheOutOfMemoryErrorAndOtherFailuresPassUnchanged) {
    EXPECT_THROW(allocate<OutOfMemory>(), BadAllocation);
    try {
        allocate<OutOfMemory>();
    } catch (IInternalException const& error) {
        EXPECT_EQ(std::string(error.what()).rfind("tarsk:core:OutOfMemory", 0), 0U);
    }
    EXPECT_THROW(allocate<Refused>(), std::invalid_argument);
    Made const* const made = allocate<Made>("arguments are forwarded");
    EXPECT_EQ(made->text, "arguments are forwarded");
    delete made;
}

}  // namespace
