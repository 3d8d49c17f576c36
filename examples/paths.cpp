// Splits a few named paths into their component names, and hashes and compares a few UUID
// paths: the path functions as a program that uses the library would call them.

#include <arvex_utilities.hpp>

#include <boost/uuid/string_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tarsk/core/text.hpp"

namespace fp = arvex::utilities::fullpath;
using tarsk::core::text::toUtf8;

namespace {

void showSplit(std::u16string const& path) {
    std::cout << "  \"" << toUtf8(path) << "\" ->";
    for (auto const& name : fp::getComponentNames(path)) {
        std::cout << " [" << toUtf8(name) << "]";
    }
    std::cout << '\n';
}

std::string describe(std::vector<boost::uuids::uuid> const& path) {
    std::string text = "(";
    for (std::size_t i = 0; i < path.size(); ++i) {
        text += (i > 0 ? " " : "") + to_string(path[i]).substr(0, 8);
    }
    return text + ")";
}

}  // namespace

int main() {
    std::cout << "Named paths: a single slash separates names, a doubled slash is a slash inside "
                 "a name.\n";
    for (auto const* path : {u"vehicle/engine/piston", u"/root/", u"Motor//Generator/rotor",
                             u"a///b", u"\u6a21\u578b/\u00e9l\u00e9ment", u""}) {
        showSplit(path);
    }

    boost::uuids::string_generator parse;
    auto const vehicle = parse("6f1c2a10-93d1-4c85-b8f7-1e2d3c4b5a60");
    auto const engine = parse("a3e4b5c6-d7e8-4f90-8a1b-2c3d4e5f6071");
    auto const piston = parse("0d9e8f7a-6b5c-4d3e-9f20-1a2b3c4d5e6f");
    std::vector<std::vector<boost::uuids::uuid>> const paths{
        {}, {vehicle}, {vehicle, engine}, {vehicle, engine, piston}, {engine, vehicle}};

    std::cout << "\nUUID paths (first 8 digits shown): the hash ignores order.\n";
    for (auto const& path : paths) {
        std::printf("  %-30s hash %016llx\n", describe(path).c_str(),
                    static_cast<unsigned long long>(fp::getUUIDPathHash(path)));
    }

    std::cout << "\nAncestry: is the first path strictly below the second?\n";
    for (auto const& [source, target] :
         std::vector<std::pair<std::size_t, std::size_t>>{{3, 1}, {3, 2}, {2, 2}, {1, 0}, {4, 1}}) {
        std::printf(
            "  %-30s below %-22s %s\n", describe(paths[source]).c_str(),
            describe(paths[target]).c_str(),
            fp::isSourcePathDescendantOfTargetPath(paths[source], paths[target]) ? "yes" : "no");
    }
    return 0;
}
