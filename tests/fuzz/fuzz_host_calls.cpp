// The host's call interface, driven as a script would drive it but with any call: the input is
// decoded into a sequence of host calls (construct any class, call any registered method name
// on any object or class, read and write any property) with any argument kinds and counts and
// any output count, on a small pool of host values: models, the three maps, entries, views, and
// whatever the calls hand back. Refusals are expected; they must be host errors whose message
// is complete. After every call every map in the pool must be sound (each pair a live entry,
// contained by its map, filed under its own key; keys unique where the map says so), and at
// the end of an input, with the pool dropped, no host object and no element record may be
// left over.

#include <algorithm>
#include <array>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "arvex/utilities/bindings/entry_points.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"
#include "fuzz_support.hpp"
#include "host_errors.hpp"
#include "korm/zero/element_impl.hpp"
#include "korm/zero/zi/zi.hpp"
#include "olan/olan.hpp"

namespace {

using arvex_fuzz::causedByBadCast;
using arvex_fuzz::require;
using olan::Value;
namespace host = olan::host;
namespace au = arvex::utilities;

constexpr std::size_t kSlots = 8;
using Pool = std::array<Value, kSlots>;

std::vector<std::string> const kClasses = {
    "korm.zero.Model",
    "arvex.utilities.UUIDMap",
    "arvex.utilities.UUIDMultiMap",
    "arvex.utilities.UUIDToUUIDMap",
    "arvex.utilities.UUIDMapEntry",
    "arvex.utilities.UUIDToUUIDMapEntry",
    "arvex.utilities.FullPathAPI",
    "korm.zero.ModelElement",
    "korm.zero.Set",
    "korm.zero.Map",
    "korm.zero.meta.Class",
};

/// The model's file methods: they would read and write files named by whatever text an input
/// holds, anywhere the process may write. Their refusals are tested with the host class.
std::set<std::string> const kFileMethods = {"open", "save"};

/// Every method and property name of the registered classes but the file methods, and every
/// class: the names a call may use.
struct Names {
    std::vector<std::string> methods;
    std::vector<std::string> properties;

    /// Read from the class descriptions; the packages must be registered.
    void load() {
        std::set<std::string> m;
        std::set<std::string> p;
        for (std::string const& cls : kClasses) {
            for (host::MemberDescription const& member : host::describeClass(cls).members) {
                if (member.kind == host::MemberKind::Method &&
                    kFileMethods.count(member.name) == 0) {
                    m.insert(member.name);
                } else if (member.kind == host::MemberKind::Property) {
                    p.insert(member.name);
                }
            }
        }
        m.insert("noSuchMethod");
        p.insert("NoSuchProperty");
        methods.assign(m.begin(), m.end());
        properties.assign(p.begin(), p.end());
    }
};

// ---- inputs -----------------------------------------------------------------------------------

std::string const& pick(FuzzedDataProvider& in, std::vector<std::string> const& names) {
    return names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)];
}

std::string keyText(FuzzedDataProvider& in) {
    static char const* const kKeys[] = {
        "6f1c2a3b-0000-4000-8000-000000000001", "6f1c2a3b-0000-4000-8000-000000000002",
        "6F1C2A3B-0000-4000-8000-000000000002", "00000000-0000-0000-0000-000000000000",
        "0a9b8c7d-0000-4000-8000-000000000003",
    };
    return kKeys[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1)];
}

zvArray* badText(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return zvCreateString_UTF8("not-a-uuid");
        case 1:
            // A stray surrogate in what would otherwise be a UUID.
            return zvCreateString_UTF16(u"6f1c2a3b-0" + std::u16string(1, char16_t(0xDC00)) +
                                        u"000-4000-8000-000000000001");
        default: {
            std::string const bytes = in.ConsumeRandomLengthString(40);
            return zvCreateString_UTF16(std::u16string(bytes.begin(), bytes.end()));
        }
    }
}

zvArray* initStruct(FuzzedDataProvider& in, int depth);

// A struct array of `n` init structs for a containment field.
zvArray* structArray(FuzzedDataProvider& in, int depth) {
    std::size_t const n = in.ConsumeIntegralInRange<std::size_t>(0, 2);
    std::size_t const dims[] = {1, n};
    zvArray* const array = zvCreateStructArray(2, dims, {});
    for (std::size_t i = 0; i < n; ++i) {
        zvArray* const one = initStruct(in, depth + 1);
        for (int f = 0, count = zvGetFieldCount(one); f < count; ++f) {
            std::string const name = zvGetFieldName(one, f);
            if (zvArray const* value = zvGetField(one, 0, name)) {
                zvSetField(array, i, name, zvDuplicateArray(value));
            }
        }
        zvDestroyArray(one);
    }
    return array;
}

// An init struct: any of the fields "Key", "Value", "Pairs" and an unknown one.
zvArray* initStruct(FuzzedDataProvider& in, int depth) {
    zvArray* const init = zvCreateStruct({});
    auto const fields = in.ConsumeIntegral<std::uint8_t>();
    if (fields & 1) {
        zvSetField(init, 0, "Key", (fields & 16) ? badText(in) : zvCreateString_UTF8(keyText(in)));
    }
    if (fields & 2) {
        zvSetField(
            init, 0, "Value",
            depth < 2 && (fields & 32) ? structArray(in, depth) : zvCreateString_UTF8(keyText(in)));
    }
    if ((fields & 4) && depth < 2) {
        zvSetField(init, 0, "Pairs", structArray(in, depth));
    }
    if (fields & 8) {
        zvSetField(init, 0, "Unknown", zvCreateDouble(1));
    }
    return init;
}

Value argument(FuzzedDataProvider& in, Pool const& pool) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
        case 1:
            return Value(zvCreateString_UTF8(keyText(in)));
        case 2:
            return Value(badText(in));
        case 3:
        case 4: {
            Value const& slot = pool[in.ConsumeIntegralInRange<std::size_t>(0, kSlots - 1)];
            return Value(slot ? zvDuplicateArray(slot.get()) : zvCreateEmpty());
        }
        case 5:
            return Value(initStruct(in, 0));
        case 6:
            return Value(zvCreateDouble(in.ConsumeIntegralInRange(-1, 3)));
        case 7:
            return Value(zvCreateLogical(in.ConsumeBool()));
        case 8: {
            Value cell(zvCreateCellArray(2, {1, 2}));
            zvSetCell(cell.get(), 0, zvCreateString_UTF8(keyText(in)));
            zvSetCell(cell.get(), 1, initStruct(in, 0));
            return cell;
        }
        default:
            return Value(zvCreateEmpty());
    }
}

std::vector<Value> arguments(FuzzedDataProvider& in, Pool const& pool) {
    std::vector<Value> values(in.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (Value& value : values) {
        value = argument(in, pool);
    }
    return values;
}

host::Inputs borrowed(std::vector<Value> const& values) {
    host::Inputs inputs;
    for (Value const& value : values) {
        inputs.push_back(value.get());
    }
    return inputs;
}

// ---- checks ---------------------------------------------------------------------------------

// A refusal must be a host error with an identifier and a message without a hole; a native
// error the host could not identify is a finding unless it is a refused UUID text.
void checkRefusal(olan::HostError const& error) {
    static std::regex const hole(R"(\{[0-9]+\})");
    std::string const what = error.what();
    require(!std::regex_search(what, hole), "a message has an unfilled placeholder");
    require(!what.empty(), "a host error without a message");
    require(error.identifier() != olan::errors::NativeError || causedByBadCast(error),
            "a native error without a message id reached the host");
}

// Every pair of a live map: a live entry, contained by the map, filed under its own key, and
// filed once (a UUIDMap's keys are unique by the std::map that files them).
template <class MapImpl>
void checkPairs(MapImpl const& map) {
    if (!map.isLive()) {
        return;
    }
    std::set<void const*> seen;
    for (auto const& [key, entry] : MapImpl::entriesOf(map.peekPairs())) {
        require(static_cast<bool>(entry), "a map holds an empty or gone entry");
        require(seen.insert(entry.getImpl()).second, "an entry is filed twice");
        require(entry.getImpl()->isLive(), "a map holds an entry that is not live");
        require(entry->getKey() == key, "an entry is filed under another key");
        require(entry.getImpl()->basicContainer() == &map, "an entry is held by another map");
        if constexpr (std::is_same_v<MapImpl, au::UUIDToUUIDMap::Impl>) {
            if (au::UUIDMap const inner = entry->getValue()) {
                require(inner.getImpl()->basicContainer() == entry.getImpl(),
                        "an inner map is not held by its entry");
                checkPairs(*inner.getImpl());
            }
        }
    }
}

// A live entry held by a live map of class MapImpl is filed there under its key.
template <class MapImpl, class EntryImpl>
void checkFiled(EntryImpl const& entry) {
    auto const* const map = dynamic_cast<MapImpl const*>(entry.basicContainer());
    if (map == nullptr || !map->isLive() || !entry.isLive()) {
        return;
    }
    auto const [first, last] = MapImpl::entriesOf(map->peekPairs()).equal_range(entry.getKey());
    require(
        std::any_of(first, last, [&](auto const& node) { return node.second.getImpl() == &entry; }),
        "a contained entry is not filed under its key");
}

void checkMaps(Pool const& pool) {
    for (Value const& slot : pool) {
        korm::zero::ModelElement::Impl* const record =
            slot ? korm::zero::zi::elementOf(slot.get()) : nullptr;
        if (auto const* entry = dynamic_cast<au::UUIDMapEntry::Impl const*>(record)) {
            checkFiled<au::UUIDMap::Impl>(*entry);
            checkFiled<au::UUIDMultiMap::Impl>(*entry);
        } else if (auto const* twoLevelEntry =
                       dynamic_cast<au::UUIDToUUIDMapEntry::Impl const*>(record)) {
            checkFiled<au::UUIDToUUIDMap::Impl>(*twoLevelEntry);
        } else if (auto const* map = dynamic_cast<au::UUIDMap::Impl const*>(record)) {
            checkPairs(*map);
        } else if (auto const* multi = dynamic_cast<au::UUIDMultiMap::Impl const*>(record)) {
            checkPairs(*multi);
        } else if (auto const* twoLevel = dynamic_cast<au::UUIDToUUIDMap::Impl const*>(record)) {
            checkPairs(*twoLevel);
        }
    }
}

// ---- calls ----------------------------------------------------------------------------------

void storeOutput(Pool& pool, std::size_t slot, std::vector<Value>& outputs) {
    if (!outputs.empty() && outputs[0]) {
        pool[slot] = std::move(outputs[0]);
    }
}

void step(FuzzedDataProvider& in, Pool& pool, Names const& names) {
    std::size_t const target = in.ConsumeIntegralInRange<std::size_t>(0, kSlots - 1);
    Value const& self = pool[in.ConsumeIntegralInRange<std::size_t>(0, kSlots - 1)];
    zvArray const* const selfArray = self ? self.get() : nullptr;
    switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0: {  // a model, the class most calls need
            pool[target] = host::construct("korm.zero.Model", {});
            break;
        }
        case 1: {  // construct any class from any inputs
            std::string const& cls = pick(in, kClasses);
            std::vector<Value> const values = arguments(in, pool);
            pool[target] = host::construct(cls, borrowed(values));
            break;
        }
        case 2:
        case 3: {  // any method on an object
            std::string const& method = pick(in, names.methods);
            std::vector<Value> const values = arguments(in, pool);
            int const outputs = in.ConsumeIntegralInRange(0, 2);
            if (selfArray != nullptr) {
                auto result = host::callOn(selfArray, method, borrowed(values), outputs);
                storeOutput(pool, target, result.outputs);
            }
            break;
        }
        case 4: {  // any method of a class, static or not
            std::string const& cls = pick(in, kClasses);
            std::string const& method = pick(in, names.methods);
            std::vector<Value> const values = arguments(in, pool);
            auto result =
                host::call(cls, method, borrowed(values), in.ConsumeIntegralInRange(0, 2));
            storeOutput(pool, target, result.outputs);
            break;
        }
        case 5: {  // read or write any property
            std::string const& property = pick(in, names.properties);
            if (selfArray == nullptr) {
                break;
            }
            if (in.ConsumeBool()) {
                pool[target] = host::getProperty(selfArray, property);
            } else {
                Value const value = argument(in, pool);
                host::setProperty(selfArray, property, value.get());
            }
            break;
        }
        default:  // drop a value
            pool[target].reset();
            break;
    }
}

struct Baseline {
    Names names;
    std::size_t records;
    std::size_t failedDestroys;

    Baseline() {
        ZRInitialize_arvex_utilities();
        // The meta-package and the framework's meta model live for the whole process.
        for (std::string const& cls : kClasses) {
            if (host::classExists(cls) && cls.rfind("arvex.", 0) == 0) {
                host::call(cls, "StaticMetaClass", {}, 1);
            }
        }
        names.load();
        records = korm::zero::ElementImpl::liveRecordCount();
        failedDestroys = host::failedDestroyCount();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    static Baseline const baseline;
    FuzzedDataProvider in(data, size);
    {
        Pool pool;
        while (in.remaining_bytes() > 0) {
            try {
                step(in, pool, baseline.names);
            } catch (olan::HostError const& error) {
                checkRefusal(error);
            }
            checkMaps(pool);
        }
    }
    require(host::liveObjectCount() == 0, "a host object outlived every value holding it");
    require(host::failedDestroyCount() == baseline.failedDestroys, "a destroy-instance failed");
    require(korm::zero::ElementImpl::liveRecordCount() == baseline.records,
            "an element record outlived its model and host objects");
    return 0;
}
