// The exported entry points the host calls after loading the library and before unloading it.

#include "arvex/utilities/bindings/entry_points.hpp"

#include <mutex>

#include "arvex/utilities/bindings/package.hpp"
#include "korm/zero/zi/zi.hpp"
#include "olan/package.hpp"

namespace {

std::once_flag registrationOnce;

void registerAll() {
    // The framework's own host classes ("korm.zero.ModelElement" is every class's superclass)
    // must exist before ours are first used; their set-up runs once, or again per session in
    // the same way as ours.
    korm::zero::zi::initialize();
    arvex::utilities::zi::registerScriptingPackage();
}

}  // namespace

extern "C" {

void ZRInitialize_arvex_utilities() {
    if (omGetOlanUsingUSM()) {
        registerAll();
        return;
    }
    std::call_once(registrationOnce, &registerAll);
}

void ZRTerminate_arvex_utilities() {}
}
