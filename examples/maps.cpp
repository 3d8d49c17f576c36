// A UUID-to-UUID map kept in a model: pairs added in one transaction, looked up, a clashing
// key refused, and the whole step undone and redone.

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
    return 0;
}
