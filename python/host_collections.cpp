// The native read path of the keyed collections (see host_collections.hpp).
//
// A collection is named by its owner (a host object of an element) and the name of the owner's
// many-valued property that holds it; its entries are elements whose key and value are two of
// their properties, also named. Everything is read generically: the owner's property value
// refers to the framework collection, whose generic map or multimap interface gives the entries
// in key order, and the entries' property values come through the meta model. A value property
// holds UUIDs, or elements, which are shown by their UUID; an entry whose element is missing or
// no longer valid holds nothing and is left out.
//
// Reads follow the host's own look-ups: an owner that is a proxy is refused with the
// framework's error, an owner that is gone (destroyed, its creation undone, its model closed)
// reads as empty.

#include "host_collections.hpp"

#include <boost/lexical_cast/bad_lexical_cast.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host_bridge.hpp"
#include "host_uuid.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/struct_builder.hpp"
#include "olan/errors.hpp"

namespace py = pybind11;
namespace kz = korm::zero;
using boost::uuids::uuid;

namespace zolmar_host {

namespace {

std::u16string text16(std::string const& text) {
    return {text.begin(), text.end()};  // property names are ASCII
}

kz::meta::Property propertyNamed(kz::ModelElement::Impl const& element, std::string const& name) {
    kz::meta::Property found = element.getMetaClass().getClassImpl()->findProperty(text16(name));
    if (found.isEmpty()) {
        olan::raiseHostError(olan::errors::UndefinedProperty, name);
    }
    return found;
}

/// The UUID a property value shows: a UUID (the nil UUID when it carries none), or the UUID of
/// the element it holds; nothing when it holds no valid element.
std::optional<uuid> shownUuid(kz::Value const& value) {
    if (kz::StandardTypes::is(value.getType(), kz::StandardTypes::UUID_TYPE)) {
        return value.hasData() ? *static_cast<uuid const*>(value.getPayload()) : uuid{};
    }
    kz::meta::Type::Impl const* type = value.getType().getTypeImpl();
    if (type == nullptr || !type->isClass()) {
        throw py::type_error("a keyed collection's entries show UUIDs or elements only");
    }
    auto const* held = static_cast<kz::ModelElement const*>(value.getPayload());
    if (held == nullptr || !*held) {
        return std::nullopt;
    }
    return (*held)->getUuid();
}

/// How many entries ahead of the one read the scan asks for the next records. The records lie
/// scattered in memory (in creation order, not key order); without the prefetch nearly every
/// record read in a large collection waits for memory.
constexpr std::size_t PrefetchDistance = 8;

void prefetchRecord(kz::ModelElement::Impl const* record) {
    // An entry record spans about two cache lines (the framework's header, key and value).
    auto const* bytes = reinterpret_cast<char const*>(record);
    __builtin_prefetch(bytes);
    __builtin_prefetch(bytes + 64);
}

/// The entries of one keyed collection and how to read their keys and values.
class KeyedCollection {
  public:
    KeyedCollection(zvArray const* owner, std::string const& collection, std::string key,
                    std::string value)
        : m_owner(kz::zi::elementOf(owner))
        , m_keyName(std::move(key))
        , m_valueName(std::move(value)) {
        if (m_owner.isEmpty()) {
            olan::raiseHostError(olan::errors::InvalidHandle);
        }
        if (!m_owner->isLive()) {
            if (m_owner->isProxy()) {
                m_owner->requireModifiable();  // raises the framework's refusal of a proxy
            }
            return;  // gone: nothing to read
        }
        kz::Value const held = m_owner->getPropertyValue(
            propertyNamed(*m_owner.getImpl(), collection), kz::PUBLIC_ACCESS);
        auto const* referenced = static_cast<kz::ReferenceCollection const*>(held.getPayload());
        m_generic = referenced != nullptr ? referenced->getGenericInterface() : nullptr;
        if (m_generic == nullptr ||
            !(m_generic->isMapInterface() || m_generic->isMultimapInterface())) {
            throw py::type_error(collection + " is no keyed collection");
        }
        m_collection = referenced;
    }

    /// The entries, in the collection's order (none for an owner that is gone).
    std::vector<kz::ModelElement> entries() const {
        return m_collection != nullptr ? m_collection->getAllValues()
                                       : std::vector<kz::ModelElement>();
    }

    /// Calls `visitor(key, value)` for each of `entries[begin, end)` that holds a value.
    template <class Visit>
    void visit(std::vector<kz::ModelElement> const& entries, std::size_t begin, std::size_t end,
               Visit&& visitor) {
        for (std::size_t i = begin; i < end; ++i) {
            if (i + PrefetchDistance < end) {
                prefetchRecord(entries[i + PrefetchDistance].getImpl());
            }
            if (auto const value = valueOf(entries[i])) {
                visitor(keyOf(entries[i]), *value);
            }
        }
    }

    /// Calls `visitor(key, value)` for each entry that holds a value, in the collection's order.
    template <class Visit>
    void forEach(Visit&& visitor) {
        std::vector<kz::ModelElement> const all = entries();
        visit(all, 0, all.size(), visitor);
    }

    /// The values filed under `key`, in filing order (at most one in a map).
    std::vector<uuid> valuesUnder(uuid const& key) {
        std::vector<uuid> found;
        if (m_collection == nullptr) {
            return found;
        }
        auto const collect = [&](kz::ModelElement const& entry) {
            if (auto const value = valueOf(entry)) {
                found.push_back(*value);
            }
        };
        if (m_generic->isMapInterface()) {
            auto const& map = static_cast<kz::GenericMapInterface const&>(*m_generic);
            kz::ModelElement const entry = map.genericGet(keyValue(map.getQualifierType(), key));
            if (!entry.isEmpty()) {
                collect(entry);
            }
        } else {
            auto const& map = static_cast<kz::GenericMultimapInterface const&>(*m_generic);
            for (kz::ModelElement const& entry :
                 map.genericGet(keyValue(map.getQualifierType(), key))) {
                collect(entry);
            }
        }
        return found;
    }

    /// The number of entries that hold a value, or of their distinct keys.
    std::size_t count(bool distinctKeys) {
        if (m_collection == nullptr) {
            return 0;
        }
        if (holdsUuids(m_collection->getCollectionType(), m_valueName)) {  // no entry to read
            if (distinctKeys && m_generic->isMultimapInterface()) {
                return static_cast<kz::GenericMultimapInterface const&>(*m_generic)
                    .genericKeys()
                    .size();
            }
            return m_generic->genericSize();
        }
        std::size_t n = 0;
        std::optional<uuid> last;
        forEach([&](uuid const& key, uuid const&) {
            n += distinctKeys && last == key ? 0 : 1;
            last = key;
        });
        return n;
    }

  private:
    /// Whether the entries of class `entryType` always hold a value: their value property is
    /// UUID-typed.
    static bool holdsUuids(kz::meta::Type const& entryType, std::string const& valueName) {
        kz::meta::Type::Impl const* type = entryType.getTypeImpl();
        if (type == nullptr || !type->isClass()) {
            return false;
        }
        kz::meta::Property const value =
            static_cast<kz::meta::Class::Impl const*>(type)->findProperty(text16(valueName));
        return !value.isEmpty() && kz::StandardTypes::is(value.getPropertyImpl()->getType(),
                                                         kz::StandardTypes::UUID_TYPE);
    }

    static kz::Value keyValue(kz::meta::Type const& keyType, uuid const& key) {
        if (!kz::StandardTypes::is(keyType, kz::StandardTypes::UUID_TYPE)) {
            throw py::type_error("the collection is not keyed by UUIDs");
        }
        return kz::zi::detail::makeUuidValue(key);
    }

    /// Finds the key and value properties again when an entry's class differs from the last.
    void learn(kz::ModelElement::Impl const& entry) {
        kz::meta::Class const cls = entry.getMetaClass();
        if (cls.getImpl() == m_entryClass.getImpl()) {
            return;
        }
        if (!m_keyName.empty()) {  // look-ups by key read values only
            m_key = propertyNamed(entry, m_keyName);
        }
        m_value = propertyNamed(entry, m_valueName);
        m_entryClass = cls;
    }

    uuid keyOf(kz::ModelElement const& entry) {
        learn(*entry.getImpl());
        return shownUuid(entry->getPropertyValue(m_key, kz::PUBLIC_ACCESS)).value_or(uuid{});
    }

    std::optional<uuid> valueOf(kz::ModelElement const& entry) {
        learn(*entry.getImpl());
        return shownUuid(entry->getPropertyValue(m_value, kz::PUBLIC_ACCESS));
    }

    kz::ModelElement m_owner;
    std::string m_keyName;
    std::string m_valueName;
    kz::ReferenceCollection const* m_collection = nullptr;
    kz::GenericCollectionInterface const* m_generic = nullptr;
    kz::meta::Class m_entryClass;
    kz::meta::Property m_key;
    kz::meta::Property m_value;
};

using Pair = std::pair<uuid, uuid>;

/// A (key, value) tuple of uuid.UUID objects.
py::object pythonPair(Pair const& pair) {
    auto pack = py::reinterpret_steal<py::object>(
        PyTuple_Pack(2, pythonUuid(pair.first).ptr(), pythonUuid(pair.second).ptr()));
    if (!pack) {
        throw py::error_already_set();
    }
    PyObject_GC_UnTrack(pack.ptr());  // holds two untracked UUIDs (see pythonUuid)
    return pack;
}

/// The entries a collection had when an iteration started, read a slice at a time: a loop over
/// a large collection then makes and drops a slice's Python objects at a time, which the
/// interpreter's allocator keeps reusing, instead of all of them at once. The handles keep the
/// entries alive; each slice shows their keys and values as they are when it is read.
class EntrySlices {
  public:
    explicit EntrySlices(KeyedCollection keyed)
        : m_keyed(std::move(keyed)), m_entries(m_keyed.entries()) {}

    /// The (key, value) pairs of the next `count` entries; an empty list at the end.
    std::vector<Pair> take(std::size_t count) {
        std::size_t const end = std::min(m_entries.size(), m_next + count);
        std::vector<Pair> pairs;
        pairs.reserve(end - m_next);
        m_keyed.visit(m_entries, m_next, end,
                      [&](uuid const& k, uuid const& v) { pairs.emplace_back(k, v); });
        m_next = end;
        return pairs;
    }

    /// Whether `key` differs from the key given before (keys come in order, so each distinct
    /// key is new once).
    bool isNewKey(uuid const& key) {
        bool const isNew = !m_lastKey || *m_lastKey != key;
        m_lastKey = key;
        return isNew;
    }

  private:
    KeyedCollection m_keyed;
    std::vector<kz::ModelElement> m_entries;
    std::size_t m_next = 0;
    std::optional<uuid> m_lastKey;
};

/// A Python list of `items`, each made by `make`.
template <class T, class Make>
py::list listOf(std::vector<T> const& items, Make&& make) {
    py::list made(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        PyList_SET_ITEM(made.ptr(), static_cast<Py_ssize_t>(i), make(items[i]).release().ptr());
    }
    return made;
}

}  // namespace

void registerCollections(py::module_& module) {
    // Each read runs under the package's error translation (runAsHostCall): a framework or
    // other native exception becomes the host error the host would raise for it, as if a host
    // method had let it escape; Python errors pass unchanged.
    using zolmar::hostArrayOf;
    using zolmar::runAsHostCall;
    // keyed_slices(owner, collection, key, value): the entries as they are now. Its
    // take(count, shown) gives what the next `count` entries show, an empty list at the end:
    // shown "items" (key, value) pairs, "keys" the keys not shown before (so each distinct key
    // once), "values" the values.
    py::class_<EntrySlices>(module, "EntrySlices")
        .def("take", [](EntrySlices& slices, std::size_t count, std::string const& shown) {
            std::vector<Pair> pairs;
            runAsHostCall([&] { pairs = slices.take(count); });
            if (shown == "items") {
                return listOf(pairs, &pythonPair);
            }
            if (shown != "keys" && shown != "values") {
                throw py::value_error("take shows items, keys or values, not " + shown);
            }
            std::vector<uuid> single;
            single.reserve(pairs.size());
            for (auto const& [key, value] : pairs) {
                if (shown == "values") {
                    single.push_back(value);
                } else if (slices.isNewKey(key)) {
                    single.push_back(key);
                }
            }
            return listOf(single, &pythonUuid);
        });
    module.def("keyed_slices", [](py::handle owner, std::string const& collection,
                                  std::string const& key, std::string const& value) {
        std::optional<EntrySlices> slices;
        runAsHostCall(
            [&] { slices.emplace(KeyedCollection(hostArrayOf(owner), collection, key, value)); });
        return std::move(*slices);
    });
    // uuid_of(x): the uuid.UUID of a uuid.UUID or of UUID text, refused as a UUID input of a
    // host method is.
    module.def("uuid_of", [](py::handle input) {
        uuid id;
        runAsHostCall([&] { id = uuidOfInput(input); });
        return pythonUuid(id);
    });
    // keyed_count(..., distinct_keys): the number of entries, or of distinct keys.
    module.def(
        "keyed_count", [](py::handle owner, std::string const& collection, std::string const& key,
                          std::string const& value, bool distinctKeys) {
            std::size_t n = 0;
            runAsHostCall([&] {
                n = KeyedCollection(hostArrayOf(owner), collection, key, value).count(distinctKeys);
            });
            return n;
        });
    // keyed_get(owner, collection, key, value, wanted): the values under `wanted` (a uuid.UUID
    // or UUID text) in filing order: a list, or for `single` the first value or None.
    module.def("keyed_get", [](py::handle owner, std::string const& collection, py::handle wanted,
                               std::string const& value, bool single) {
        std::vector<uuid> found;
        runAsHostCall([&] {
            uuid const id = uuidOfInput(wanted);  // first, as a host method reads its inputs
            KeyedCollection keyed(hostArrayOf(owner), collection, std::string(), value);
            found = keyed.valuesUnder(id);
        });
        if (single) {
            return found.empty() ? py::object(py::none()) : pythonUuid(found.front());
        }
        return py::object(listOf(found, &pythonUuid));
    });
}

}  // namespace zolmar_host
