#include "sweep_cases.hpp"

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <memory>

#include "arvex/utilities/builders.hpp"

namespace faults {
namespace {

namespace au = arvex::utilities;
using au::detail::Meta;
using Builder = korm::zero::ModelElement::Builder;

std::unique_ptr<Builder> entryBuilder(std::uint8_t key, std::uint8_t value) {
    auto builder = std::make_unique<au::UUIDMapEntry::Builder>();
    builder->setOrAdd(Meta::uuidMapEntryKey(), au::makeValue(id(key)));
    builder->setOrAdd(Meta::uuidMapEntryValue(), au::makeValue(id(value)));
    return builder;
}

// A map builder holding entry builders for `keys` (value: key + 10).
std::unique_ptr<au::UUIDMap::Builder> mapBuilder(std::initializer_list<std::uint8_t> keys) {
    auto builder = std::make_unique<au::UUIDMap::Builder>();
    for (auto key : keys) {
        auto entry = entryBuilder(key, static_cast<std::uint8_t>(key + 10));
        builder->setOrAdd(Meta::uuidMapPairs(), entry);
    }
    return builder;
}

// An operation that changes or reads the sample; retried inside a rolled-back transaction.
template <class F>
std::function<Operation(Sample&)> op(F f) {
    return [f](Sample& s) { return Operation{[f, &s] { f(s); }, nullptr}; };
}

std::vector<Case> mapCases() {
    return {
        {"UUIDMap::insertPair", op([](Sample& s) { s.map->insertPair(id(8), id(18)); })},
        {"UUIDMap::erasePairForKey", op([](Sample& s) { s.map->erasePairForKey(id(1)); })},
        {"UUIDMap::erasePairsForValue", op([](Sample& s) { s.map->erasePairsForValue(id(11)); })},
        {"UUIDMap::findValueForKey", op([](Sample& s) { s.map->findValueForKey(id(4)); })},
        {"UUIDMap::hasKey", op([](Sample& s) { s.map->hasKey(id(4)); })},
        {"UUIDMultiMap::insertPair", op([](Sample& s) { s.multi->insertPair(id(1), id(14)); })},
        {"UUIDMultiMap::erasePairsForKey", op([](Sample& s) { s.multi->erasePairsForKey(id(1)); })},
        {"UUIDMultiMap::erasePairsKeyAndValue",
         op([](Sample& s) { s.multi->erasePairsKeyAndValue(id(1), id(11)); })},
        {"UUIDMultiMap::erasePairsForValue",
         op([](Sample& s) { s.multi->erasePairsForValue(id(12)); })},
        {"UUIDMultiMap::findValuesForKey", op([](Sample& s) { s.multi->findValuesForKey(id(1)); })},
        {"UUIDMultiMap::hasKey", op([](Sample& s) { s.multi->hasKey(id(2)); })},
        {"UUIDToUUIDMap::insertPair (new container key)",
         op([](Sample& s) { s.twoLevel->insertPair(id(8), id(1), id(25)); })},
        {"UUIDToUUIDMap::insertPair (held container key)",
         op([](Sample& s) { s.twoLevel->insertPair(id(5), id(3), id(26)); })},
        {"UUIDToUUIDMap::erasePairForKey",
         op([](Sample& s) { s.twoLevel->erasePairForKey(id(5)); })},
        {"UUIDToUUIDMap::erasePairForKeys (one of two)",
         op([](Sample& s) { s.twoLevel->erasePairForKeys(id(5), id(1)); })},
        {"UUIDToUUIDMap::erasePairForKeys (the last)",
         op([](Sample& s) { s.twoLevel->erasePairForKeys(id(6), id(1)); })},
        {"UUIDToUUIDMap::findValueForKey",
         op([](Sample& s) { s.twoLevel->findValueForKey(id(5)); })},
        {"UUIDToUUIDMap::findValuesWithSubKey",
         op([](Sample& s) { s.twoLevel->findValuesWithSubKey(id(1)); })},
        {"UUIDToUUIDMap::findValueForKeys",
         op([](Sample& s) { s.twoLevel->findValueForKeys(id(5), id(2)); })},
        {"UUIDToUUIDMap::hasKey", op([](Sample& s) { s.twoLevel->hasKey(id(7)); })},
    };
}

std::vector<Case> elementCases() {
    return {
        {"UUIDMapEntry::setKey", op([](Sample& s) { s.map->peekEntry(id(1))->setKey(id(9)); })},
        {"UUIDMapEntry::setValue", op([](Sample& s) { s.map->peekEntry(id(1))->setValue(id(9)); })},
        {"UUIDToUUIDMapEntry::setKey", op([](Sample& s) {
             s.twoLevel->findValueForKey(id(5));  // (resolves nothing; the entry is below)
             auto const& nodes = au::UUIDToUUIDMap::Impl::entriesOf(s.twoLevel->peekPairs());
             nodes.at(id(6))->setKey(id(9));
         })},
        {"UUIDToUUIDMapEntry::setValue", op([](Sample& s) {
             auto const& nodes = au::UUIDToUUIDMap::Impl::entriesOf(s.twoLevel->peekPairs());
             nodes.at(id(6))->setValue(s.twoLevel->findValueForKey(id(7)));
         })},
        {"UUIDToUUIDMapEntry::createIntoValue", op([](Sample& s) {
             auto const& nodes = au::UUIDToUUIDMap::Impl::entriesOf(s.twoLevel->peekPairs());
             nodes.at(id(6))->createIntoValue(mapBuilder({1, 2}), boost::uuids::nil_uuid());
         })},
        {"UUIDMap::createIntoPairs", op([](Sample& s) {
             s.map->createIntoPairs(au::UUIDMapEntry::BuilderWrapper(entryBuilder(8, 18)),
                                    boost::uuids::nil_uuid());
         })},
        {"UUIDMultiMap::createIntoPairs", op([](Sample& s) {
             s.multi->createIntoPairs(au::UUIDMapEntry::BuilderWrapper(entryBuilder(1, 15)),
                                      boost::uuids::nil_uuid());
         })},
        {"UUIDToUUIDMap::createIntoPairs", op([](Sample& s) {
             auto entry = std::make_unique<au::UUIDToUUIDMapEntry::Builder>();
             entry->setOrAdd(Meta::uuidToUUIDMapEntryKey(), au::makeValue(id(9)));
             std::unique_ptr<Builder> inner = mapBuilder({1});
             entry->setOrAdd(Meta::uuidToUUIDMapEntryValue(), inner);
             s.twoLevel->createIntoPairs(au::UUIDToUUIDMapEntry::BuilderWrapper(std::move(entry)),
                                         boost::uuids::nil_uuid());
         })},
        {"destroy a UUIDMap", op([](Sample& s) { s.map->destroy(); })},
        {"destroy a UUIDToUUIDMap", op([](Sample& s) { s.twoLevel->destroy(); })},
        {"UUIDMap::Builder, top level with nested entries", op([](Sample& s) {
             auto builder = mapBuilder({1, 2, 3});
             builder->setModel(s.model);
             builder->create(boost::uuids::nil_uuid());
         })},
        {"UUIDToUUIDMap::Builder, three levels", op([](Sample& s) {
             au::UUIDToUUIDMap::Builder top(s.model);
             for (std::uint8_t key : {1, 2}) {
                 auto entry = std::make_unique<au::UUIDToUUIDMapEntry::Builder>();
                 entry->setOrAdd(Meta::uuidToUUIDMapEntryKey(), au::makeValue(id(key)));
                 std::unique_ptr<Builder> inner = mapBuilder({1, 2});
                 entry->setOrAdd(Meta::uuidToUUIDMapEntryValue(), inner);
                 std::unique_ptr<Builder> nested = std::move(entry);
                 top.setOrAdd(Meta::uuidToUUIDMapPairs(), nested);
             }
             top.create(boost::uuids::nil_uuid());
         })},
    };
}

}  // namespace

std::vector<Case> modelCases() {
    std::vector<Case> cases = mapCases();
    for (auto& c : elementCases()) {
        cases.push_back(std::move(c));
    }
    return cases;
}

void sweepAll(std::vector<Case> const& cases) {
    for (Case const& c : cases) {
        for (Fault fault : {Fault::ALLOCATION, Fault::FRAMEWORK_CALL}) {
            for (Scope scope : {Scope::ALONE, Scope::TRANSACTION}) {
                Sample sample;
                std::string const name =
                    c.name + (fault == Fault::ALLOCATION ? ", allocation" : ", framework call") +
                    (scope == Scope::ALONE ? ", alone" : ", in a transaction");
                sweep(name, sample.model, c.make(sample), fault, scope);
                if (::testing::Test::HasFatalFailure()) {
                    return;
                }
            }
        }
    }
}

}  // namespace faults
