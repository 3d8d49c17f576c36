#include "bindings_test_support.hpp"

#include <dlfcn.h>

#include <boost/lexical_cast/bad_lexical_cast.hpp>
#include <stdexcept>

#include "korm/zero/meta/meta_registry.hpp"

namespace bindings_test {

void (*entryPoint(char const* name))() {
    static void* const library = dlopen(ARVEX_UTILITIES_LIBRARY_FILE, RTLD_NOW | RTLD_GLOBAL);
    void* const symbol = library != nullptr ? dlsym(library, name) : nullptr;
    if (symbol == nullptr) {
        throw std::runtime_error(std::string("cannot load ") + name);
    }
    return reinterpret_cast<void (*)()>(symbol);
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

std::vector<std::string> cellTexts(Value const& value) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < zvGetElementCount(value.get()); ++i) {
        texts.push_back(zvGetString_UTF8(zvGetCell(value.get(), i)));
    }
    return texts;
}

Value callOne(Value const& object, std::string_view method, host::Inputs const& inputs) {
    return std::move(host::callOn(object.get(), method, inputs, 1).outputs.at(0));
}

Value structOf(std::vector<std::pair<std::string, std::string>> const& fields) {
    Value result(zvCreateStruct({}));
    for (auto const& [name, value] : fields) {
        zvSetField(result.get(), 0, name, zvCreateString_UTF8(value));
    }
    return result;
}

std::string errorIdOf(olan::HostError const& error) {
    try {
        if (error.cause()) {
            std::rethrow_exception(error.cause());
        }
    } catch (boost::bad_lexical_cast const&) {
        return "bad_lexical_cast";
    } catch (...) {
    }
    return error.identifier();
}

}  // namespace bindings_test
