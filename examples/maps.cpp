// The three maps kept in a model. A UUIDMap: pairs added in one transaction, looked up, a
// clashing key refused, and the whole step undone and redone. A UUIDMultiMap: several values
// under one key, in the order they were filed. A UUIDToUUIDMap: a container key leading to an
// inner map, which appears with its first pair and goes with its last.

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <exception>
#include <iostream>

#include <arvex_utilities.hpp>

namespace {

void show(char const* title, arvex::utilities::UUIDMap const& map, boost::uuids::uuid const& key) {
    std::cout << title << ": hasKey " << std::boolalpha << map->hasKey(key) << ", value "
              << map->findValueForKey(key) << "\n";
}

}  // namespace

int main() {
    using arvex::utilities::UUIDMap;
    boost::uuids::random_generator next;

    korm::zero::Model model = korm::zero::Model::create(u"example");
    UUIDMap map = UUIDMap::create(model);

    auto const part = next();
    auto const drawing = next();
    {
        // Both pairs land as one undo step.
        korm::zero::Transaction transaction = model->beginTransaction(false);
        map->insertPair(part, drawing);
        map->insertPair(next(), next());
        transaction.commit();
    }
    show("after insert", map, part);

    try {
        korm::zero::Transaction transaction = model->beginTransaction(false);
        map->insertPair(part, next());  // the key is taken: refused, the first value stays
        transaction.commit();
    } catch (std::exception const& error) {
        std::cout << "refused: " << error.what() << "\n";
    }
    show("after refusal", map, part);

    model.undo();
    show("after undo", map, part);
    model.redo();
    show("after redo", map, part);

    // Several drawings for one part, in filing order; erasing a pair takes its first match.
    using arvex::utilities::UUIDMultiMap;
    UUIDMultiMap const drawings = UUIDMultiMap::create(model);
    auto const sketch = next();
    {
        korm::zero::Transaction transaction = model->beginTransaction(false);
        drawings->insertPair(part, drawing);
        drawings->insertPair(part, sketch);
        drawings->insertPair(part, drawing);
        drawings->erasePairsKeyAndValue(part, drawing);
        transaction.commit();
    }
    std::cout << "drawings of the part, in filing order:";
    for (auto const& value : drawings->findValuesForKey(part)) {
        std::cout << " " << (value == drawing ? "drawing" : "sketch");
    }
    std::cout << "\n";

    // A part's attributes by attribute key: the inner map goes with the part's last pair.
    using arvex::utilities::UUIDToUUIDMap;
    UUIDToUUIDMap const attributes = UUIDToUUIDMap::create(model);
    auto const colour = next();
    auto const red = next();
    {
        korm::zero::Transaction transaction = model->beginTransaction(false);
        attributes->insertPair(part, colour, red);
        transaction.commit();
    }
    std::cout << "colour of the part is red: "
              << (attributes->findValueForKeys(part, colour) == red) << "\n";
    {
        korm::zero::Transaction transaction = model->beginTransaction(false);
        attributes->erasePairForKeys(part, colour);
        transaction.commit();
    }
    std::cout << "part still has attributes: " << attributes->hasKey(part) << "\n";
    return 0;
}
