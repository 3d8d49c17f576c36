// The scripting path: a host loads the library by its file name, initialises it through its
// exported entry point and then uses its classes only through the host's call interface, as a
// script would.
//
//   example_scripting <path of libarvex_utilities>

#include <dlfcn.h>

#include <iostream>

#include "olan/olan.hpp"

namespace host = olan::host;
using olan::Value;

int main(int argc, char** argv) {
    char const* const file = argc > 1 ? argv[1] : ARVEX_UTILITIES_LIBRARY_FILE;
    void* const library = dlopen(file, RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) {
        std::cerr << dlerror() << '\n';
        return 1;
    }
    auto const initialise =
        reinterpret_cast<void (*)()>(dlsym(library, "ZRInitialize_arvex_utilities"));
    if (initialise == nullptr) {
        std::cerr << "no entry point\n";
        return 1;
    }
    initialise();

    try {
        Value const model = host::construct("korm.zero.Model", {});
        Value const map = host::construct("arvex.utilities.UUIDMap", {model.get()});
        Value const key(zvCreateString_UTF8("6F1C2A3B-0000-4000-8000-000000000001"));
        Value const value(zvCreateString_UTF8("0a9b8c7d-0000-4000-8000-000000000002"));
        host::callOn(map.get(), "insertPair", {key.get(), value.get()}, 0);

        auto found = host::callOn(map.get(), "findValueForKey", {key.get()}, 1);
        std::cout << "value: " << zvGetString_UTF8(found.outputs.at(0).get()) << '\n';

        Value const pairs = host::getProperty(map.get(), "Pairs");
        auto keys = host::callOn(pairs.get(), "keys", {}, 1);
        std::cout << "keys (" << host::className(pairs.get()) << "):";
        for (std::size_t i = 0; i < zvGetElementCount(keys.outputs.at(0).get()); ++i) {
            std::cout << ' ' << zvGetString_UTF8(zvGetCell(keys.outputs.at(0).get(), i));
        }
        std::cout << '\n';
    } catch (olan::HostError const& error) {
        std::cerr << error.identifier() << ": " << error.what() << '\n';
        return 1;
    }
    // The library stays loaded: the host owns descriptions whose code lives there.
    return 0;
}
