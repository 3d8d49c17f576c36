// References into other models: saved with the model's name, resolved on first use through
// the model file beside the referring file or along the search path, and listed with their
// reason when they cannot be resolved.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "allocation_faults.hpp"
#include "korm/zero/model_files.hpp"
#include "korm/zero/unresolved_references.hpp"
#include "korm/zero/uuid_text.hpp"
#include "link.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::test {
namespace {

namespace fs = std::filesystem;
using boost::uuids::uuid;
using Reason = UnresolvedReason;

class ModelReferenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registry().registerRootPackage(holderPackage().package);
        registry().registerRootPackage(linkPackage().package);
        registry().registerType(holderPackage().dog, nullptr,
                                [](Model const& m) -> std::unique_ptr<ModelElement::Builder> {
                                    return std::make_unique<HolderBuilder>(m);
                                });
        dir = fs::temp_directory_path() /
              ("model-reference-test-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }

    void TearDown() override {
        ModelFiles::setSearchPath({});
        registry().registerType(holderPackage().dog, nullptr, nullptr);
        registry().unregisterRootPackage(linkPackage().package.getPackageImpl()->getUri());
        registry().unregisterRootPackage(holderPackage().package.getPackageImpl()->getUri());
        fs::remove_all(dir);
    }

    /// `dir/sub/name.model`, with its directory made.
    std::string file(std::string const& sub, std::u16string const& name) const {
        fs::create_directories(dir / sub);
        return (dir / sub / ModelFiles::fileNameFor(name)).string();
    }

    /// Saves a model of that name holding one Holder (of UUID `id` unless nil) to `path`;
    /// gives the Holder's UUID.
    static uuid saveTarget(std::u16string const& name, std::string const& path,
                           uuid const& id = boost::uuids::nil_uuid()) {
        Model const model = Model::create(name);
        uuid const made = HolderBuilder(model).create(id)->getUuid();
        model.save(path);
        return made;
    }

    fs::path dir;
};

/// A proxy Holder in `model` standing for `target` in the model named `modelName`.
ModelElement proxyOf(Model const& model, uuid const& target, std::u16string const& modelName) {
    return createProxy(model, holderPackage().dog,
                       ProxyId::forElement(target, holderPackage().dog->getUuid(), modelName));
}

/// The model's only Link.
Link* linkOf(Model const& model) {
    for (auto const& element : model->getElements()) {
        if (auto* link = dynamic_cast<Link*>(element.getImpl())) {
            return link;
        }
    }
    return nullptr;
}

TEST_F(ModelReferenceTest, AReferenceResolvesThroughTheFileBesideTheReferringOne) {
    std::string const referring = file("work", u"xr-a");
    std::string const referred = file("work", u"xr-b");
    uuid targetId;
    {
        targetId = saveTarget(u"xr-b", referred);
        Model const a = Model::create(u"xr-a");
        Link::create(a, proxyOf(a, targetId, u"xr-b"));
        a.save(referring);
    }
    ASSERT_FALSE(OpenModels::find(u"xr-a"));
    ASSERT_FALSE(OpenModels::find(u"xr-b"));
    // A model of the same name on the search path that lacks the target: the file beside
    // the referring one comes first.
    saveTarget(u"xr-b", file("decoy", u"xr-b"));
    ModelFiles::setSearchPath({(dir / "decoy").string()});

    Model a = Model::open(referring);
    Link* link = linkOf(a);
    ASSERT_NE(link, nullptr);
    ASSERT_TRUE(link->peekTarget()->isProxy()) << "opening resolves nothing";
    EXPECT_EQ(*link->peekTarget()->getProxyId()->getModelName(), u"xr-b");
    EXPECT_EQ(a->peekResolveProxy(link, link->peekTarget()), link->peekTarget());
    EXPECT_FALSE(OpenModels::find(u"xr-b")) << "peeking opens nothing";
    auto listed = findUnresolvedReferences(a, ResolutionAttempt::REPORT_ONLY);
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_EQ(listed[0].owner.getImpl(), link);
    EXPECT_EQ(listed[0].property, linkPackage().target);
    EXPECT_EQ(listed[0].reason, Reason::NOT_TRIED);
    EXPECT_FALSE(listed[0].isUnresolvable());

    ModelElement const target = link->getTarget();
    ASSERT_FALSE(target->isProxy());
    EXPECT_EQ(target->getUuid(), targetId);
    Model const b = OpenModels::find(u"xr-b");
    ASSERT_EQ(target->getModelImpl(), b.getImpl());
    EXPECT_EQ(b->getFilePath(), fs::weakly_canonical(referred).string());
    EXPECT_TRUE(findUnresolvedReferences(a, ResolutionAttempt::REPORT_ONLY).empty());

    // Written in full, the resolved reference is saved as a proxy into "xr-b".
    std::string const copy = (dir / "work" / "xr-a-copy.model").string();
    a.save(copy);
    a = Model();
    EXPECT_TRUE(OpenModels::find(u"xr-b")) << "still held here";
    a = Model::open(copy);
    EXPECT_EQ(linkOf(a)->getTarget(), target);
}

TEST_F(ModelReferenceTest, AReferringModelKeepsWhatItOpenedAndNoMore) {
    // Two models that refer to each other.
    std::string const pathA = file("ring", u"xr-ring-a");
    std::string const pathB = file("ring", u"xr-ring-b");
    {
        Model const a = Model::create(u"xr-ring-a");
        Model const b = Model::create(u"xr-ring-b");
        ModelElement const inA = Holder::create(a);
        ModelElement const inB = Holder::create(b);
        Link::create(a, proxyOf(a, inB->getUuid(), u"xr-ring-b"));
        Link::create(b, proxyOf(b, inA->getUuid(), u"xr-ring-a"));
        a.save(pathA);
        b.save(pathB);
    }
    Model a = Model::open(pathA);
    {
        ModelElement const inB = linkOf(a)->getTarget();
        ASSERT_FALSE(inB->isProxy());
        Model const b = OpenModels::find(u"xr-ring-b");
        ASSERT_EQ(inB->getModelImpl(), b.getImpl());
        ModelElement const back = linkOf(b)->getTarget();
        ASSERT_FALSE(back->isProxy());
        EXPECT_EQ(back->getModelImpl(), a.getImpl()) << "the open model, not a second one";
    }
    EXPECT_TRUE(OpenModels::find(u"xr-ring-b")) << "kept open by the model that opened it";
    a = Model();
    EXPECT_FALSE(OpenModels::find(u"xr-ring-a"));
    EXPECT_FALSE(OpenModels::find(u"xr-ring-b")) << "nothing keeps a ring of references alive";
}

TEST_F(ModelReferenceTest, TheSearchPathIsAskedWhenNoFileIsBesideAndAgainWhenItChanges) {
    uuid const targetId = saveTarget(u"xr-far", file("library", u"xr-far"));
    std::string const referring = file("work", u"xr-near");
    {
        Model const near = Model::create(u"xr-near");
        Link::create(near, proxyOf(near, targetId, u"xr-far"));
        near.save(referring);
    }
    Model const near = Model::open(referring);
    Link* const link = linkOf(near);
    EXPECT_TRUE(link->getTarget()->isProxy()) << "not beside, and no search path";
    auto listed = findUnresolvedReferences(near, ResolutionAttempt::REPORT_ONLY);
    ASSERT_EQ(listed.size(), 1U);
    EXPECT_EQ(listed[0].reason, Reason::MODEL_NOT_FOUND);
    ASSERT_TRUE(listed[0].message);
    EXPECT_EQ(listed[0].message->getId(), "korm0:messages:ReferencedModelNotFound");
    EXPECT_NE(listed[0].message->getText().find("xr-far.model"), std::string::npos);

    ModelFiles::setSearchPath({(dir / "nowhere").string(), (dir / "library").string()});
    EXPECT_EQ(ModelFiles::getSearchPath().size(), 2U);
    ModelElement const target = link->getTarget();
    ASSERT_FALSE(target->isProxy()) << "a changed search path is looked along at the next read";
    EXPECT_EQ(target->getUuid(), targetId);
    EXPECT_TRUE(findUnresolvedReferences(near, ResolutionAttempt::REPORT_ONLY).empty());
}

TEST_F(ModelReferenceTest, WhatCannotBeResolvedStaysAProxyAndIsListedWithItsReason) {
    std::string const referred = file("work", u"xr-held");
    uuid const targetId = saveTarget(u"xr-held", referred);
    std::ofstream(file("work", u"xr-junk")) << "not a model file";
    saveTarget(u"xr-someone-else", file("work", u"xr-renamed"));
    std::string const referring = file("work", u"xr-many");

    std::u16string const unknownClass = u"0badc1a5-0000-4000-8000-000000000000";
    std::u16string const dog = uuidText16(holderPackage().dog->getUuid());
    std::u16string const rock = uuidText16(holderPackage().rock->getUuid());
    std::u16string const target = uuidText16(targetId);
    std::u16string const elsewhere = uuidText16(holderPackage().animal->getUuid());
    struct Case {
        ProxyId id;
        Reason reason;
        char const* message;
    };
    std::vector<Case> const cases = {
        {ProxyId(target, dog, std::u16string(u"xr-absent")), Reason::MODEL_NOT_FOUND,
         "ReferencedModelNotFound"},
        {ProxyId(target, dog, std::u16string(u"../xr-held")), Reason::MODEL_NOT_FOUND,
         "ModelNameNotAFileName"},
        {ProxyId(target, dog, std::u16string(u"xr-junk")), Reason::MODEL_FILE_UNUSABLE,
         "ReferencedModelFileUnusable"},
        {ProxyId(target, dog, std::u16string(u"xr-renamed")), Reason::MODEL_FILE_UNUSABLE,
         "ReferencedModelFileUnusable"},
        {ProxyId(elsewhere, dog, std::u16string(u"xr-held")), Reason::ELEMENT_NOT_FOUND,
         "ReferencedElementNotFound"},
        {ProxyId(u"not-a-uuid", dog, std::u16string(u"xr-held")), Reason::ELEMENT_NOT_FOUND,
         "ReferencedElementNotFound"},
        {ProxyId(target, unknownClass, std::u16string(u"xr-held")), Reason::CLASS_NOT_REGISTERED,
         "ReferencedClassNotRegistered"},
        {ProxyId(target, rock, std::u16string(u"xr-held")), Reason::CLASS_MISMATCH,
         "ReferencedClassMismatch"},
    };
    {
        Model const many = Model::create(u"xr-many");
        for (auto const& c : cases) {
            Link::create(many, createProxy(many, holderPackage().dog, c.id));
        }
        many.save(referring);
    }
    Model const many = Model::open(referring);  // never fails for what it refers to

    auto const check = [&](ResolutionAttempt attempt, bool tried) {
        auto const listed = findUnresolvedReferences(many, attempt);
        ASSERT_EQ(listed.size(), cases.size());
        for (auto const& reference : listed) {
            auto const c = std::find_if(cases.begin(), cases.end(),
                                        [&](Case const& k) { return k.id == reference.id; });
            ASSERT_NE(c, cases.end());
            std::string const what = tarsk::core::text::toUtf8Lossy(
                reference.id.getElementId() + u" in " + *reference.id.getModelName());
            EXPECT_TRUE(reference.proxy->isProxy()) << what;
            EXPECT_EQ(reference.reason, tried ? c->reason : Reason::NOT_TRIED) << what;
            if (tried) {
                ASSERT_TRUE(reference.message) << what;
                EXPECT_EQ(reference.message->getId(), std::string("korm0:messages:") + c->message)
                    << what << ": " << reference.message->getText();
            }
        }
    };
    check(ResolutionAttempt::REPORT_ONLY, false);
    check(ResolutionAttempt::RESOLVE_FIRST, true);
    check(ResolutionAttempt::REPORT_ONLY, true);  // the failures are remembered
    EXPECT_TRUE(OpenModels::find(u"xr-held")) << "opened for the references into it";
    EXPECT_FALSE(OpenModels::find(u"xr-someone-else")) << "a file of another model is let go";

    // A file that appears later is found when the diagnostics look again.
    saveTarget(u"xr-absent", file("work", u"xr-absent"), targetId);
    EXPECT_EQ(findUnresolvedReferences(many, ResolutionAttempt::RESOLVE_FIRST).size(),
              cases.size() - 1);
}

// Resolution through a file with its K-th allocation failing, for every K it reaches: the
// failure reaches the reader or the reference stays a proxy, and nothing is left half done:
// the next read resolves, and closing the referring model closes what it opened.
TEST_F(ModelReferenceTest, AFailedAllocationDuringResolutionLeavesNothingHalfDone) {
    std::string const referring = file("work", u"xr-fault-a");
    uuid const targetId = saveTarget(u"xr-fault-b", file("work", u"xr-fault-b"));
    {
        Model const a = Model::create(u"xr-fault-a");
        Link::create(a, proxyOf(a, targetId, u"xr-fault-b"));
        a.save(referring);
    }
    long points = 0;
    for (bool failed = true; failed; ++points) {
        Model a = Model::open(referring);
        Link* const link = linkOf(a);
        faults::armAllocationFailure(points + 1);
        try {
            link->getTarget();
        } catch (std::bad_alloc const&) {
        }
        failed = faults::allocationFailureHappened();
        faults::disarmAllocationFailure();
        ModelElement const target = link->getTarget();
        ASSERT_FALSE(target->isProxy()) << "allocation " << points + 1;
        EXPECT_EQ(target->getUuid(), targetId);
        EXPECT_TRUE(findUnresolvedReferences(a, ResolutionAttempt::REPORT_ONLY).empty());
        a = Model();
        ASSERT_FALSE(OpenModels::find(u"xr-fault-b")) << "allocation " << points + 1;
    }
    EXPECT_GT(points, 10);
    std::cout << "resolution through a model file: " << points << " allocation fault points\n";
}

TEST_F(ModelReferenceTest, ModelNamesGiveFileNamesOnlyWhenTheyAreFileNames) {
    EXPECT_EQ(ModelFiles::fileNameFor(u"plant"), "plant.model");
    EXPECT_EQ(ModelFiles::fileNameFor(u"Gr\u00fcn"), "Gr\xc3\xbcn.model");
    EXPECT_EQ(ModelFiles::fileNameFor(u"..x"), "..x.model");
    std::vector<std::u16string> const refused = {
        u"", u".", u"..", u"a/b", u"a\\b", std::u16string(u"a\0b", 3), std::u16string(1, 0xD800)};
    for (std::u16string const& bad : refused) {
        EXPECT_THROW(ModelFiles::fileNameFor(bad),
                     tarsk::core::except::Exception<korm0::messages::ModelNameNotAFileName>);
    }
}

TEST_F(ModelReferenceTest, AReferenceIntoAModelThatWasClosedIsNotSavedBlindly) {
    std::string const referred = file("work", u"xr-closed-b");
    std::string const referring = file("work", u"xr-closed-a");
    uuid const targetId = saveTarget(u"xr-closed-b", referred);
    {
        Model const a = Model::create(u"xr-closed-a");
        Link::create(a, proxyOf(a, targetId, u"xr-closed-b"));
        a.save(referring);
    }
    Model a = Model::open(referring);
    {
        Model const b = Model::open(referred);  // the caller's: a does not keep it
        ASSERT_FALSE(linkOf(a)->getTarget()->isProxy());
    }
    ASSERT_FALSE(OpenModels::find(u"xr-closed-b"));
    // The reference leads to an element whose model is gone: its name is no longer known.
    // Resolving changed nothing to save; a full write meets the lost name.
    a.save();
    EXPECT_THROW(a.save(file("copy", u"xr-closed-a")),
                 tarsk::core::except::Exception<korm0::messages::ModelFileCannotWrite>);
    a = Model();
    Model const again = Model::open(referring);
    ProxyId const* const id = linkOf(again)->peekTarget()->getProxyId();
    ASSERT_NE(id, nullptr) << "the file holds what was last saved";
    EXPECT_EQ(*id, proxyOf(again, targetId, u"xr-closed-b")->getPersistentProxyId(true));
}

}  // namespace
}  // namespace korm::zero::test
