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

namespace arvex::utilities::test {

namespace meta = korm::zero::meta;

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

inline meta::Class::Impl* rec(meta::Class const& h) {
    return h.getClassImpl();
}
inline meta::Type::Impl* rec(meta::Type const& h) {
    return h.getTypeImpl();
}
inline meta::Property::Impl* rec(meta::Property const& h) {
    return h.getPropertyImpl();
}
inline meta::Operation::Impl* rec(meta::Operation const& h) {
    return h.getOperationImpl();
}
inline meta::Argument::Impl* rec(meta::Argument const& h) {
    return h.getArgumentImpl();
}
inline meta::Package::Impl* rec(meta::Package const& h) {
    return h.getPackageImpl();
}

}  // namespace arvex::utilities::test
