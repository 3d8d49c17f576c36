#include "meta_sample.hpp"

#include <atomic>
#include <boost/uuid/name_generator_sha1.hpp>
#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include "tarsk/core/text.hpp"

namespace korm::zero::test {

namespace {
std::atomic<int> g_sampleCount{0};
}  // namespace

boost::uuids::uuid SamplePackage::nextId() {
    if (idSeed.empty()) {
        return ElementImpl::generateNewUuid();
    }
    return boost::uuids::name_generator_sha1(boost::uuids::nil_uuid())(idSeed + "/" +
                                                                       std::to_string(m_idCount++));
}

std::string SamplePackage::nextIdText() {
    return boost::uuids::to_string(nextId());
}

void SamplePackage::build() {
    m_idCount = 0;
    using tarsk::core::text::toUtf16;
    auto& registry = meta::MetaRegistry::getInstance();
    prefix = "sample" + std::to_string(g_sampleCount++);
    std::u16string const prefix16 = toUtf16(prefix);

    package = createPackage(prefix16, u"test:/" + prefix16);
    animal = createClass(u"Animal", prefix + ".Animal", true, nextIdText());
    name = createProperty(u"Name", ValueFlags(1), false, nextIdText());
    setPropertyIndex(name, 1);
    speak = createOperation(u"speak", nextId());
    loudness = createArgument(u"loudness", nextId());
    dog = createClass(u"Dog", prefix + ".Dog", false, nextIdText());
    toys = createProperty(u"Toys", ValueFlags(6), true, nextIdText());
    setPropertyIndex(toys, 1);
    friends = createProperty(u"Friends", ValueFlags(8), false, nextIdText());
    setPropertyIndex(friends, 2);
    fetch = createOperation(u"fetch", nextId());
    what = createArgument(u"what", nextId());
    puppy = createClass(u"Puppy", prefix + ".Puppy", false, nextIdText());
    rock = createClass(u"Rock", prefix + ".Rock", false, nextIdText());
    label = createProperty(u"Label", ValueFlags(1), false, nextIdText());
    setPropertyIndex(label, 1);
    owner = createProperty(u"Owner", ValueFlags(1), false, nextIdText());
    setPropertyIndex(owner, 2);

    meta::Class const element = registry.getModelElementClass();
    for (auto const& [type, superclass] : {std::pair{animal, element}, std::pair{dog, animal},
                                           std::pair{puppy, dog}, std::pair{rock, element}}) {
        type.getClassImpl()->setOwningPackage(package);
        type.getClassImpl()->setSuperclass(superclass);
    }
    rec(name)->setOwningType(animal);
    rec(name)->setType(registry.getType(u"String"));
    rec(toys)->setOwningType(dog);
    rec(toys)->setType(rock);
    rec(toys)->setQualifiedBy(label);
    rec(toys)->setIsQualificationUnique(true);
    rec(toys)->setOpposite(owner);
    rec(friends)->setOwningType(dog);
    rec(friends)->setType(dog);
    rec(friends)->setIsOrdered(true);
    rec(friends)->setIsUnique(true);
    rec(label)->setOwningType(rock);
    rec(label)->setType(registry.getType(u"UUID"));
    rec(label)->setDefaultValue(boost::none);
    rec(owner)->setOwningType(rock);
    rec(owner)->setType(dog);
    rec(owner)->setOpposite(toys);

    rec(speak)->setOwningType(animal);
    rec(speak)->setType(registry.getType(u"String"));
    rec(loudness)->setOperation(speak);
    rec(loudness)->setType(registry.getType(u"Boolean"));
    rec(fetch)->setOwningType(dog);
    rec(what)->setOperation(fetch);
    rec(what)->setType(registry.getType(u"UUID"));

    for (auto const& [type, shortName] : {std::pair{animal, "Animal"}, std::pair{dog, "Dog"},
                                          std::pair{puppy, "Puppy"}, std::pair{rock, "Rock"}}) {
        registry.registerTypeNames(type, prefix + "::" + shortName, prefix + "." + shortName,
                                   type == animal ? prefix + ".Beast" : std::string());
    }
}

void SamplePackage::buildCommitted() {
    MetaBuildScope scope;
    build();
    scope.commit();
}

}  // namespace korm::zero::test
