#include "bindings_test_support.hpp"

#include <dlfcn.h>

#include <boost/lexical_cast/bad_lexical_cast.hpp>
#include <stdexcept>
#include <utility>

#include "korm/zero/meta/meta_registry.hpp"

namespace bindings_test {

namespace {

void* library() {
    // Loaded once and never unloaded: the host owns descriptions whose code lives there.
    static void* const handle = [] {
        void* loaded = dlopen(ARVEX_UTILITIES_LIBRARY_FILE, RTLD_NOW | RTLD_GLOBAL);
        if (loaded == nullptr) {
            throw std::runtime_error(dlerror());
        }
        return loaded;
    }();
    return handle;
}

}  // namespace

EntryPoint entryPoint(char const* name) {
    void* const symbol = dlsym(library(), name);
    if (symbol == nullptr) {
        throw std::runtime_error(name);
    }
    return reinterpret_cast<EntryPoint>(symbol);
}

void loadAndInitialise() {
    entryPoint("ZRInitialize_arvex_utilities")();
}

bool metaPackageBuilt() {
    return static_cast<bool>(
        korm::zero::meta::MetaRegistry::getInstance().findClassByQualifiedName(MapClass));
}

BindingsTest::BindingsTest() {
    loadAndInitialise();
    model = host::construct(korm::zero::zi::ModelClassName, {});
}

void BindingsTest::TearDown() {
    model.reset();
    EXPECT_EQ(host::liveObjectCount(), 0u);
    EXPECT_EQ(olan::factory::basic::BindingRegistry::size(), 0u);
    EXPECT_EQ(host::failedDestroyCount(), 0u);
}

Value BindingsTest::make(std::string_view className, host::Inputs const& extra) {
    host::Inputs inputs{model.get()};
    inputs.insert(inputs.end(), extra.begin(), extra.end());
    return host::construct(className, inputs);
}

std::string textOf(Value const& value) {
    return zvGetString_UTF8(value.get());
}

bool flagOf(Value const& value) {
    return zvGetLogical(value.get(), 0);
}

std::vector<std::string> cellTexts(Value const& value) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < zvGetElementCount(value.get()); ++i) {
        texts.push_back(zvGetString_UTF8(zvGetCell(value.get(), i)));
    }
    return texts;
}

Value callOne(Value const& object, std::string_view method, host::Inputs const& inputs) {
    host::CallResult result = host::callOn(object.get(), method, inputs, 1);
    return std::move(result.outputs.at(0));
}

void callNone(Value const& object, std::string_view method, host::Inputs const& inputs) {
    host::callOn(object.get(), method, inputs, 0);
}

Value structOf(std::vector<std::pair<std::string, std::string>> const& fields) {
    Value result(zvCreateStruct({}));
    for (auto const& [name, value] : fields) {
        zvSetField(result.get(), 0, name, zvCreateString_UTF8(value));
    }
    return result;
}

std::string errorIdOf(olan::HostError const& error) {
    if (error.cause()) {
        try {
            std::rethrow_exception(error.cause());
        } catch (boost::bad_lexical_cast const&) {
            return "bad_lexical_cast";
        } catch (...) {
        }
    }
    return error.identifier();
}

}  // namespace bindings_test
