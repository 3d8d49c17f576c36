// An outside program that only knows the installed package.
#include <arvex_utilities.hpp>

#include <cstdio>

int main() {
    auto const names = arvex::utilities::fullpath::getComponentNames(u"outer/in//ner");
    bool const ok = names.size() == 2 && names[1] == u"in/ner" &&
                    arvex::utilities::fullpath::getUUIDPathHash({}) == 0;
    std::puts(ok ? "consumer: ok" : "consumer: wrong results");
    return ok ? 0 : 1;
}
