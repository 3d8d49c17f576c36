#pragma once

// What a class's members are for, for the help front ends show (member_help.cpp).

#include <optional>
#include <string>
#include <vector>

#include "korm/zero/meta/meta_objects.hpp"

namespace korm::zero::zi::internal {

struct ArgumentHelp {
    std::u16string name;
    std::u16string type;  ///< qualified type name; empty when any value is taken
    std::u16string documentation;
};

struct MemberHelp {
    std::u16string documentation;  ///< what the member does or holds
    std::u16string type;           ///< the property's or the result's type; empty for none
    bool many = false;             ///< the property or result holds a list
    std::u16string returns;        ///< what the result is
    std::vector<ArgumentHelp> arguments;
};

/// The help of member `name` of a class: "" is the class itself, its short name its
/// constructor; the others are its operations, properties, createInto methods and
/// StaticMetaClass. Nothing for a name the class has no such member of.
std::optional<MemberHelp> memberHelp(meta::Class::Impl const& type, std::u16string const& name);

}  // namespace korm::zero::zi::internal
