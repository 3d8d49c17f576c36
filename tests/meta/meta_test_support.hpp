#pragma once

// Small helpers shared by the meta-package tests.

#include <boost/uuid/string_generator.hpp>
#include <string>

#include "arvex/utilities/meta/meta_package.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/model_impl.hpp"
#include "tarsk/core/text.hpp"
#include "test_support.hpp"

namespace arvex::utilities::test {

namespace meta = korm::zero::meta;
using arvex_test::rec;

inline constexpr char const* ROOT_UUID = "2c5f6bad-2653-3866-8b49-6862a8bd81e1";

inline meta::MetaRegistry& registry() {
    return meta::MetaRegistry::getInstance();
}

inline boost::uuids::uuid uuid(char const* text) {
    return boost::uuids::string_generator()(text);
}

inline std::u16string utf16(char const* text) {
    return tarsk::core::text::toUtf16(text);
}

}  // namespace arvex::utilities::test
