// Package loaders: a model file whose root meta-package is not registered opens once the
// package's recorded loader has built it; a loader that fails or builds nothing leaves no model.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "korm/zero/meta/package_loaders.hpp"
#include "sample.hpp"

namespace korm::zero::test {
namespace {

namespace fs = std::filesystem;
using meta::loadRootPackage;
using meta::PackageLoaderRegistration;

int g_loads = 0;

std::u16string sampleUri() {
    return holderPackage().package.getPackageImpl()->getUri();
}

// The loaders a library could record: one that registers the package, one that fails, one
// that registers nothing.
void registerSample() {
    ++g_loads;
    registry().registerRootPackage(holderPackage().package);
}
void failToLoad() {
    ++g_loads;
    reportException(korm0::messages::InjectedFault());
}
void loadNothing() {
    ++g_loads;
}

class PackageLoadersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registry().registerType(holderPackage().dog, nullptr,
                                [](Model const& m) -> std::unique_ptr<ModelElement::Builder> {
                                    return std::make_unique<HolderBuilder>(m);
                                });
        dir = fs::temp_directory_path() / ("package-loaders-test-" + std::to_string(getpid()));
        fs::create_directories(dir);
        path = (dir / "kennel.model").string();
        // Two dogs without toys: a file of the sample package that needs no value codec.
        registry().registerRootPackage(holderPackage().package);
        Model const model = Model::create(u"pl-kennel");
        Holder::create(model);
        Holder::create(model);
        model.save(path);
        registry().unregisterRootPackage(sampleUri());
        g_loads = 0;
    }
    void TearDown() override {
        registry().unregisterRootPackage(sampleUri());
        registry().registerType(holderPackage().dog, nullptr, nullptr);
        fs::remove_all(dir);
    }

    std::string errorOpening() const {
        try {
            Model::open(path);
        } catch (std::exception const& e) {
            EXPECT_FALSE(OpenModels::find(u"pl-kennel")) << "no half-opened model";
            return e.what();
        }
        return "";
    }

    fs::path dir;
    std::string path;
};

TEST_F(PackageLoadersTest, AFileOpensOnceItsPackagesLoaderHasBuiltIt) {
    EXPECT_NE(errorOpening().find("ModelFileUnknownPackage"), std::string::npos) << "no loader";
    {
        PackageLoaderRegistration const registration(sampleUri(), &registerSample);
        EXPECT_EQ(Model::open(path)->getElementCount(), 2U);
        EXPECT_EQ(g_loads, 1);
        EXPECT_EQ(Model::open(path)->getElementCount(), 2U) << "registered now: not loaded again";
        EXPECT_EQ(g_loads, 1);
        registry().unregisterRootPackage(sampleUri());
    }
    EXPECT_TRUE(loadRootPackage(sampleUri()).isEmpty()) << "the registration took it along";
    EXPECT_EQ(g_loads, 1);
}

TEST_F(PackageLoadersTest, ALoaderThatFailsOrBuildsNothingLeavesNoModel) {
    PackageLoaderRegistration const failing(sampleUri(), &failToLoad);
    EXPECT_NE(errorOpening().find("InjectedFault"), std::string::npos) << "its own message";
    {
        PackageLoaderRegistration const empty(sampleUri(), &loadNothing);
        EXPECT_NE(errorOpening().find("ModelFileUnknownPackage"), std::string::npos);
    }
    EXPECT_EQ(g_loads, 2);
    EXPECT_TRUE(loadRootPackage(sampleUri()).isEmpty()) << "no loader left behind";
    // Forgetting a loader that was replaced keeps the newer one.
    meta::registerPackageLoader(sampleUri(), &registerSample);
    meta::unregisterPackageLoader(sampleUri(), &failToLoad);
    EXPECT_FALSE(loadRootPackage(sampleUri()).isEmpty());
    meta::unregisterPackageLoader(sampleUri(), &registerSample);
}

}  // namespace
}  // namespace korm::zero::test
