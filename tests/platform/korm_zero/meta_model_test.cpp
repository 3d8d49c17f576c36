// The meta model: the framework's own types, freezing, the readers of meta objects,
// conformance, lookup by name, and rollback of meta-package builds.

#include <gtest/gtest.h>

#include <boost/uuid/uuid_io.hpp>

#include "sample.hpp"
#include "tarsk/core/text.hpp"
#include "test_node.hpp"

namespace korm::zero::test {
namespace {

using tarsk::core::except::Exception;
namespace messages = korm0::messages;

TEST(MetaModel, StartsWithThePrimitiveTypesAndTheFrameworkClasses) {
    for (auto const* name : {u"UUID", u"String", u"Boolean"}) {
        meta::Type const type = registry().getType(name);
        ASSERT_FALSE(type.isEmpty());
        EXPECT_TRUE(type);
        EXPECT_EQ(rec(type)->getKind(), meta::MetaKind::PRIMITIVE_TYPE);
        EXPECT_FALSE(rec(type)->isClass());
        EXPECT_EQ(rec(type)->getQualifiedName(), name);
        EXPECT_EQ(meta::internal::getPrimitiveTypeFromMetaRegistry(name), type);
    }
    EXPECT_TRUE(registry().getType(u"Integer").isEmpty());

    meta::Class const element = ModelElement::metaClass();
    ASSERT_TRUE(element);
    EXPECT_EQ(element, registry().getModelElementClass());
    EXPECT_EQ(rec(element)->getQualifiedName(), u"korm.zero.ModelElement");
    EXPECT_EQ(rec(element)->getNativeName(), "korm::zero::ModelElement");
    EXPECT_EQ(registry().findClassByNativeName("korm::zero::ModelElement"), element);
    EXPECT_TRUE(rec(element)->isAbstract());
    EXPECT_TRUE(rec(element)->getSuperclasses().empty());

    // Meta objects are elements too: a class's own class is the framework's "Class".
    meta::Class const classOfClasses = rec(element)->getMetaClass();
    ASSERT_TRUE(classOfClasses);
    EXPECT_EQ(rec(classOfClasses)->getQualifiedName(), u"korm.zero.meta.Class");
    EXPECT_TRUE(rec(classOfClasses)
                    ->conformsTo(registry().findClassByQualifiedName("korm.zero.meta.Type")));
    EXPECT_TRUE(rec(classOfClasses)->conformsTo(element));
    EXPECT_EQ(rec(rec(registry().getType(u"UUID"))->getMetaClass())->getName(), u"PrimitiveType");

    // The framework's root package is registered and holds the tree korm.zero(.meta).
    meta::Package const root = registry().getRootPackage(meta::MetaRegistry::FRAMEWORK_URI);
    ASSERT_TRUE(root);
    meta::Package const zero = rec(rec(root)->findSubpackage(u"korm"))->findSubpackage(u"zero");
    ASSERT_TRUE(zero);
    EXPECT_EQ(rec(zero)->getQualifiedName(), u"korm.zero");
    EXPECT_EQ(rec(zero)->findType(u"ModelElement"), element);
    EXPECT_EQ(rec(element)->getOwningPackage(), zero);
    EXPECT_EQ(rec(registry().getType(u"Boolean"))->getOwningPackage(), zero);
}

TEST(MetaModel, FrozenMetaModelRefusesChangesUntilThawed) {
    SamplePackage sample;
    sample.buildCommitted();
    meta::Class const dog = sample.dog;

    EXPECT_THROW(rec(dog)->setName(u"Wolf"), Exception<messages::CannotModifyFrozenModel>);
    EXPECT_THROW(rec(sample.toys)->setIsUnique(true), Exception<messages::CannotModifyFrozenModel>);
    EXPECT_THROW(sample.createPackage(u"p", u"test:/p"),
                 Exception<messages::CannotModifyFrozenModel>);
    EXPECT_THROW(rec(dog)->destroy(), Exception<messages::CannotModifyFrozenModel>);
    EXPECT_EQ(rec(dog)->getName(), u"Dog");
    EXPECT_FALSE(rec(sample.toys)->isUnique());
    EXPECT_TRUE(dog);

    {
        auto const thaw = registry().getFreezer().thaw();
        rec(dog)->setName(u"Wolf");
    }
    EXPECT_EQ(rec(dog)->getName(), u"Wolf");
    EXPECT_THROW(rec(dog)->setName(u"Dog"), Exception<messages::CannotModifyFrozenModel>);
    // Setting the value already held changes nothing and is allowed.
    EXPECT_NO_THROW(rec(dog)->setName(u"Wolf"));
}

// What the readers derive from a build: owners, names, multiplicities, inheritance.
TEST(MetaModel, ReadersDeriveFromWhatTheBuildSet) {
    SamplePackage s;
    s.buildCommitted();

    EXPECT_TRUE(rec(s.package)->getParentPackage().isEmpty());
    EXPECT_EQ(rec(s.package)->getTypes(),
              (std::vector<meta::Type>{s.animal, s.dog, s.puppy, s.rock}));

    // Multiplicities follow the flags: 1 single, 6 and 8 many; explicit bounds win.
    EXPECT_FALSE(rec(s.name)->isMany());
    EXPECT_EQ(rec(s.name)->getUpper(), 1U);
    EXPECT_EQ(rec(s.toys)->getUpper(), meta::UNBOUNDED);
    EXPECT_EQ(rec(s.toys)->getLower(), 0U);
    EXPECT_TRUE(rec(s.toys)->isKeyed());
    EXPECT_TRUE(rec(s.friends)->isMany());
    EXPECT_FALSE(rec(s.friends)->isKeyed());
    EXPECT_EQ(rec(s.what)->getLower(), 0U);

    // Containment forbids references into other models; plain references do not.
    EXPECT_TRUE(rec(s.toys)->isContainment());
    EXPECT_TRUE(rec(s.toys)->forbidsCrossModelReferences());
    EXPECT_FALSE(rec(s.friends)->forbidsCrossModelReferences());
    EXPECT_EQ(rec(s.toys)->getOppositeKind(), meta::OppositeKind::SINGLE);
    EXPECT_EQ(rec(s.owner)->getOppositeKind(), meta::OppositeKind::MANY);
    EXPECT_EQ(rec(s.friends)->getOppositeKind(), meta::OppositeKind::NONE);

    // Properties by index, own before inherited; all properties inherited first.
    EXPECT_EQ(rec(s.dog)->findPropertyByIndex(2), s.friends);
    EXPECT_EQ(rec(s.puppy)->findPropertyByIndex(1), s.toys);
    EXPECT_EQ(rec(s.animal)->findPropertyByIndex(1), s.name);
    EXPECT_TRUE(rec(s.animal)->findPropertyByIndex(2).isEmpty());
    EXPECT_EQ(rec(s.puppy)->getAllProperties(),
              (std::vector<meta::Property>{s.name, s.toys, s.friends}));
    EXPECT_EQ(rec(s.puppy)->findProperty(u"Name"), s.name);

    // Operations and their arguments.
    EXPECT_EQ(rec(s.dog)->getOperations(), std::vector<meta::Operation>{s.fetch});
    EXPECT_EQ(rec(s.puppy)->findOperation(u"speak"), s.speak);
    EXPECT_EQ(rec(s.speak)->getArguments(), std::vector<meta::Argument>{s.loudness});
    EXPECT_TRUE(rec(s.fetch)->isVoid());
}

TEST(MetaModel, ConformanceIsReflexiveAndTransitiveOverSuperclasses) {
    SamplePackage s;
    s.buildCommitted();
    meta::Class const element = ModelElement::metaClass();

    EXPECT_TRUE(rec(s.dog)->conformsTo(s.dog));
    EXPECT_TRUE(rec(s.dog)->conformsTo(s.animal));
    EXPECT_TRUE(rec(s.puppy)->conformsTo(s.animal));
    EXPECT_TRUE(rec(s.puppy)->conformsTo(element));
    EXPECT_FALSE(rec(s.animal)->conformsTo(s.dog));
    EXPECT_FALSE(rec(s.rock)->conformsTo(s.animal));
    EXPECT_FALSE(rec(s.dog)->conformsTo(meta::Class()));
    EXPECT_FALSE(rec(s.dog)->conformsTo(registry().getType(u"UUID")));
    // A primitive type conforms only to itself.
    EXPECT_TRUE(rec(registry().getType(u"UUID"))->conformsTo(registry().getType(u"UUID")));
    EXPECT_FALSE(rec(registry().getType(u"UUID"))->conformsTo(element));

    MetaBuildScope scope;
    // A second superclass makes a diamond-free graph with two roads up; cycles are refused.
    rec(s.rock)->addSuperclass(s.animal);
    EXPECT_TRUE(rec(s.rock)->conformsTo(s.animal));
    EXPECT_EQ(rec(s.rock)->getSuperclasses(), (std::vector<meta::Class>{element, s.animal}));
    EXPECT_THROW(rec(s.animal)->setSuperclass(s.puppy), Exception<messages::InvalidValue>);
    EXPECT_THROW(rec(s.animal)->addSuperclass(s.animal), Exception<messages::InvalidValue>);
    EXPECT_THROW(rec(s.package)->setParentPackage(s.package), Exception<messages::InvalidValue>);
    // The scope ends uncommitted: the added superclass is rolled back.
}

TEST(MetaModel, ClassesAreFoundByQualifiedNativeAndThirdName) {
    SamplePackage s;
    s.buildCommitted();

    EXPECT_EQ(registry().findClassByQualifiedName(s.prefix + ".Dog"), s.dog);
    EXPECT_EQ(registry().findClassByNativeName(s.prefix + "::Dog"), s.dog);
    EXPECT_EQ(registry().findClassByQualifiedName(s.prefix + ".Beast"), s.animal);
    EXPECT_EQ(registry().getType(tarsk::core::text::toUtf16(s.prefix + ".Rock")), s.rock);
    EXPECT_TRUE(registry().findClassByQualifiedName(s.prefix + "::Dog").isEmpty());
    EXPECT_TRUE(registry().findClassByNativeName(s.prefix + ".Dog").isEmpty());
    // Primitive types are types, not classes.
    registry().registerTypeNames(registry().getType(u"Boolean"), "bool", "Boolean", "");
    EXPECT_EQ(registry().findTypeByNativeName("bool"), registry().getType(u"Boolean"));
    EXPECT_TRUE(registry().findClassByNativeName("bool").isEmpty());

    // Registering again replaces the type's names; a name taken by another type moves.
    registry().registerTypeNames(s.rock, s.prefix + "::Stone", s.prefix + ".Stone", "");
    EXPECT_TRUE(registry().findClassByNativeName(s.prefix + "::Rock").isEmpty());
    EXPECT_EQ(registry().findClassByQualifiedName(s.prefix + ".Stone"), s.rock);
    registry().registerTypeNames(s.puppy, s.prefix + "::Stone", s.prefix + ".Puppy", "");
    EXPECT_EQ(registry().findClassByNativeName(s.prefix + "::Stone"), s.puppy);
    EXPECT_EQ(registry().getNativeName(s.rock), "");
    EXPECT_EQ(registry().getRegisteredQualifiedName(s.rock), s.prefix + ".Stone");
}

TEST(MetaModel, RolledBackChangesOfExistingMetaObjectsComeBack) {
    SamplePackage s;
    s.buildCommitted();
    {
        MetaBuildScope scope;
        rec(s.dog)->setName(u"Wolf");
        rec(s.friends)->setOwningType(s.rock);  // moves from Dog to Rock
        rec(s.toys)->setValueFlags(ValueFlags(5));
        rec(s.what)->setOperation(s.speak);
        EXPECT_EQ(rec(s.rock)->getProperties(),
                  (std::vector<meta::Property>{s.label, s.owner, s.friends}));
        EXPECT_EQ(rec(s.speak)->getArguments(), (std::vector<meta::Argument>{s.loudness, s.what}));
        EXPECT_TRUE(rec(s.fetch)->getArguments().empty());
    }
    EXPECT_EQ(rec(s.dog)->getName(), u"Dog");
    EXPECT_EQ(rec(s.friends)->getOwningType(), s.dog);
    EXPECT_EQ(rec(s.dog)->getProperties(), (std::vector<meta::Property>{s.toys, s.friends}));
    EXPECT_EQ(rec(s.rock)->getProperties(), (std::vector<meta::Property>{s.label, s.owner}));
    EXPECT_EQ(rec(s.toys)->getValueFlags(), ValueFlags(6));
    EXPECT_EQ(rec(s.fetch)->getArguments(), std::vector<meta::Argument>{s.what});
    EXPECT_EQ(rec(s.what)->getOperation(), s.fetch);
}

TEST(MetaModel, BuildThatFailsMidwayLeavesNothing) {
    Model const& model = registry().getMetaModel();
    std::size_t const before = model->getElementCount();
    std::size_t const roots = registry().getRootPackages().size();

    // A sample build makes 14 meta objects: fail the first, one in the middle, the last.
    for (int n : {1, 5, 14}) {
        SamplePackage s;
        meta::testing::armFailure(n);
        {
            MetaBuildScope scope;
            EXPECT_THROW(s.build(), meta::testing::InjectedFailure) << n;
        }
        meta::testing::disarmFailure();
        EXPECT_EQ(model->getElementCount(), before) << n;
        EXPECT_FALSE(s.package) << n;
        EXPECT_FALSE(s.animal) << n;
        EXPECT_EQ(registry().getRootPackages().size(), roots);
    }

    // A complete build whose transaction is not committed leaves nothing either: the names it
    // registered go with the classes whose creation was rolled back.
    {
        SamplePackage s;
        {
            MetaBuildScope scope;
            s.build();
            EXPECT_EQ(registry().findClassByQualifiedName(s.prefix + ".Animal"), s.animal);
        }
        EXPECT_EQ(model->getElementCount(), before);
        EXPECT_FALSE(s.dog);
        EXPECT_TRUE(registry().findClassByQualifiedName(s.prefix + ".Animal").isEmpty());
        EXPECT_TRUE(registry().findClassByNativeName(s.prefix + "::Dog").isEmpty());
    }

    // A rejected identity (a class UUID already in the meta model) fails the same way.
    SamplePackage first;
    first.buildCommitted();
    std::size_t const withFirst = model->getElementCount();
    {
        MetaBuildScope scope;
        EXPECT_THROW(first.createClass(u"Again", "again.Again", false,
                                       boost::uuids::to_string(rec(first.dog)->getUuid())),
                     Exception<messages::UniquenessConstraint>);
        EXPECT_THROW(first.createClass(u"Bad", "bad.Bad", false, "not-a-uuid"),
                     Exception<messages::InvalidValue>);
    }
    EXPECT_EQ(model->getElementCount(), withFirst);

    // After a failure the next build succeeds.
    SamplePackage next;
    next.buildCommitted();
    EXPECT_TRUE(next.puppy);
    EXPECT_EQ(registry().findClassByQualifiedName(next.prefix + ".Puppy"), next.puppy);
}

// A build as a library's meta-package runs it: under the registry's mutex with the meta model
// thawed, a stale root package of the same identity is first removed in a transaction of its
// own; then the root and everything below it are made in one transaction, and the root is
// registered after the commit.
meta::Package buildUnderRoot(boost::uuids::uuid const& rootId, SamplePackage& s) {
    std::lock_guard const lock(registry().getMutex());
    Model const model = registry().getMetaModel();
    auto const thaw = registry().getFreezer().thaw();
    meta::Package const stale(model->findElement(rootId, FIND_INCLUDING_REMOVED));
    if (stale) {
        Transaction transaction = model->beginTransaction(true);
        s.unregisterRootPackage(rec(stale)->getUri());
        stale->destroy();
        transaction.commit();
    }
    Transaction transaction = model->beginTransaction(true);
    meta::Package const root = meta::Package::create(model, rootId);
    rec(root)->setName(u"");
    rec(root)->setUri(u"test:/fixed-root");
    {
        // The inner steps lock and thaw again.
        std::lock_guard const again(registry().getMutex());
        auto const thawAgain = registry().getFreezer().thaw();
        s.build();
    }
    rec(s.package)->setParentPackage(root);
    transaction.commit();
    s.registerRootPackage(root);
    return root;
}

TEST(MetaModel, RebuildWithTheSameIdentitiesReplacesTheStaleTree) {
    boost::uuids::uuid const rootId = ElementImpl::generateNewUuid();
    Model const& model = registry().getMetaModel();
    std::size_t const before = model->getElementCount();

    SamplePackage first;
    first.idSeed = "fixed";
    meta::Package const firstRoot = buildUnderRoot(rootId, first);
    std::size_t const built = model->getElementCount();
    EXPECT_EQ(built, before + 15);  // the root and the sample's 14 objects
    EXPECT_EQ(registry().getRootPackage(u"test:/fixed-root"), firstRoot);

    // The same identities again: the stale tree goes, a new one takes its place.
    SamplePackage second;
    second.idSeed = "fixed";
    meta::Package const secondRoot = buildUnderRoot(rootId, second);
    EXPECT_EQ(model->getElementCount(), built);
    EXPECT_FALSE(firstRoot);
    EXPECT_FALSE(first.dog);
    EXPECT_TRUE(second.dog);
    EXPECT_EQ(second.dog->getUuid(), first.dog->getUuid());
    EXPECT_EQ(registry().getRootPackage(u"test:/fixed-root"), secondRoot);
    EXPECT_EQ(rec(rec(second.dog)->getOwningPackage())->getParentPackage(), secondRoot);

    // A build that fails in its middle leaves no partial tree (the stale one was removed
    // before the build began) and the next one succeeds.
    SamplePackage failing;
    failing.idSeed = "fixed";
    meta::testing::armFailure(7);
    EXPECT_THROW(buildUnderRoot(rootId, failing), meta::testing::InjectedFailure);
    meta::testing::disarmFailure();
    EXPECT_EQ(model->getElementCount(), before);
    EXPECT_EQ(model->findElement(rootId, FIND_INCLUDING_REMOVED), nullptr);
    EXPECT_TRUE(registry().getRootPackage(u"test:/fixed-root").isEmpty());

    SamplePackage last;
    last.idSeed = "fixed";
    buildUnderRoot(rootId, last);
    EXPECT_EQ(model->getElementCount(), built);
    EXPECT_TRUE(last.puppy);
}

TEST(MetaModel, DestroyingAPackageDestroysWhatItOwnsAndIsForgotten) {
    SamplePackage s;
    s.buildCommitted();
    registry().registerRootPackage(s.package);
    std::u16string const uri = rec(s.package)->getUri();
    ASSERT_EQ(registry().getRootPackage(uri), s.package);
    boost::uuids::uuid const dogId = rec(s.dog)->getUuid();
    boost::uuids::uuid const whatId = rec(s.what)->getUuid();
    {
        MetaBuildScope scope;
        rec(s.package)->destroy();
        scope.commit();
    }
    Model const& model = registry().getMetaModel();
    for (ModelElement const& element :
         std::initializer_list<ModelElement>{s.package, s.dog, s.toys, s.fetch, s.what}) {
        EXPECT_FALSE(element);
    }
    EXPECT_EQ(model->findElement(dogId), nullptr);
    EXPECT_EQ(model->findElement(whatId), nullptr);
    EXPECT_TRUE(registry().getRootPackage(uri).isEmpty());
    EXPECT_TRUE(registry().findClassByQualifiedName(s.prefix + ".Dog").isEmpty());

    // The identities are free again.
    MetaBuildScope scope;
    meta::Class const again =
        s.createClass(u"Dog", "again.Dog", false, boost::uuids::to_string(dogId));
    EXPECT_TRUE(again);
    EXPECT_NE(again, s.dog);
}

TEST(MetaModel, MetaObjectsOfAnotherModelCannotBeLinked) {
    SamplePackage s;
    s.buildCommitted();
    Model const other = Model::create();
    meta::Package const stranger = meta::Package::create(other, ElementImpl::generateNewUuid());
    MetaBuildScope scope;
    EXPECT_THROW(rec(s.dog)->setOwningPackage(stranger),
                 Exception<messages::CannotCreateCrossModelAssociation>);
    EXPECT_EQ(rec(s.dog)->getOwningPackage(), s.package);
}

}  // namespace
}  // namespace korm::zero::test
