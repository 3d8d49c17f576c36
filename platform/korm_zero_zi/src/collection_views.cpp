// The collection views: host objects over a framework collection (ReferenceCollection), live
// views that show the collection as it is at each call.
//
//   "korm.zero.Set"        size(self) -> double scalar; elements(self) -> 1-by-n cell of
//                          element objects in the collection's order; contains(self, element)
//                          -> logical scalar
//   "korm.zero.Sequence"   (derived from Set) at(self, position) -> the element at a 1-based
//                          position (the empty object past the end; no position: InvalidValue)
//   "korm.zero.Map"        (derived from Set) keys(self) -> OlanFactoryString vector, ascending;
//                          get(self, key text) -> the element under the key, or the empty
//                          object; hasKey(self, key text) -> logical scalar
//   "korm.zero.Multimap"   (derived from Set) keys(self); get(self, key text) -> 1-by-n cell of
//                          the elements under the key in insertion order (1-by-0 for none);
//                          hasKey(self, key text)
//
// Keys travel as text: UUID keys as their lower-case UUID text (input in either case); text
// that is no UUID raises korm0:messages:InvalidValue, and so does a collection keyed by
// another type. A view holds one reference to the collection's owning element (taken by
// bindCollection, released when the host drops the view).

#include <algorithm>
#include <vector>

#include "internal.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/struct_builder.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "korm/zero/zi/wrapper_info.hpp"
#include "olan/factory/binding_registry.hpp"
#include "olan/factory/class_info.hpp"
#include "olan/factory/strings.hpp"

namespace korm::zero::zi::internal {

namespace {

using olan::Value;
using olan::factory::basic::BindingRegistry;

/// The collection of input 0, with its owner held for the call.
struct HeldCollection {
    HeldCollection(int inputCount, zvArray const* const* inputs)
        : collection(
              static_cast<ReferenceCollection*>(selfPointer(inputCount, inputs, SetViewClassName)))
        , owner(collection->getOwner()) {}

    ReferenceCollection* collection;
    ModelElement owner;
};

template <class Interface>
Interface& interfaceOf(ReferenceCollection& collection) {
    auto* generic = dynamic_cast<Interface*>(collection.getGenericInterface());
    if (generic == nullptr) {
        zvErrMsgId(olan::errors::InvalidHandle);
    }
    return *generic;
}

korm::zero::Value keyOf(meta::Type const& keyType, zvArray const* text) {
    if (!StandardTypes::is(keyType, StandardTypes::UUID_TYPE)) {
        invalidValue("key type", meta::qualifiedNameOf(keyType),
                     "this view reads keys as UUID text");
    }
    boost::optional<boost::uuids::uuid> const id = detail::extractUuid(text);
    if (!id) {
        invalidValue("key", detail::describeValue(text), korm0::messages::UUID_TEXT_FORM);
    }
    return detail::makeUuidValue(*id);
}

Value keyTexts(std::vector<korm::zero::Value> const& keys) {
    std::vector<std::u16string> texts;
    texts.reserve(keys.size());
    for (korm::zero::Value const& key : keys) {
        if (!StandardTypes::is(key.getType(), StandardTypes::UUID_TYPE)) {
            invalidValue("key type", meta::qualifiedNameOf(key.getType()),
                         "this view shows keys as UUID text");
        }
        if (!key.hasData()) {
            invalidValue("key", "<no data>", "this view shows keys as UUID text");
        }
        texts.push_back(uuidText16(*static_cast<boost::uuids::uuid const*>(key.getPayload())));
    }
    return Value(olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::ToM(texts));
}

Value elementCell(std::vector<ModelElement> const& elements) {
    Value cell(zvCreateCellArray(2, {1, elements.size()}));
    for (std::size_t i = 0; i < elements.size(); ++i) {
        zvSetCell(cell.get(), i, bindElement(elements[i].getImpl()).release());
    }
    return cell;
}

// ---- Set ----------------------------------------------------------------------------------

void size(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    GenericCollectionInterface const* generic = held.collection->getGenericInterface();
    std::size_t const n =
        generic != nullptr ? generic->genericSize() : held.collection->getAllValues().size();
    setOutput(outputCount, outputs, Value(zvCreateDouble(static_cast<double>(n))));
}

void elements(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    setOutput(outputCount, outputs, elementCell(held.collection->getAllValues()));
}

void contains(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    ModelElement const element(inputCount > 1 ? elementOf(inputs[1]) : nullptr);
    bool found = false;
    if (!element.isEmpty()) {
        if (auto const* generic = held.collection->getGenericInterface()) {
            found = generic->genericContains(element);
        } else {
            auto const all = held.collection->getAllValues();
            found = std::find(all.begin(), all.end(), element) != all.end();
        }
    }
    setOutput(outputCount, outputs, found);
}

// ---- Sequence -----------------------------------------------------------------------------

void at(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    auto& sequence = interfaceOf<GenericSequenceInterface>(*held.collection);
    zvArray const* const position = inputs[1];
    if ((zvGetClassCode(position) & ~zvFlagLent) != zvCodeDouble ||
        zvGetElementCount(position) != 1 || !(zvGetDouble(position, 0) >= 1)) {
        invalidValue("position", detail::describeValue(position),
                     "a position is one number, counting from 1");
    }
    double const index = zvGetDouble(position, 0) - 1;
    ModelElement const element = index < static_cast<double>(sequence.genericSize())
                                     ? sequence.genericGetAt(static_cast<std::size_t>(index))
                                     : ModelElement();
    setOutput(outputCount, outputs, bindElement(element.getImpl()));
}

// ---- Map ----------------------------------------------------------------------------------

template <class Interface>
void keys(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    setOutput(outputCount, outputs,
              keyTexts(interfaceOf<Interface>(*held.collection).genericKeys()));
}

void mapGet(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    auto& map = interfaceOf<GenericMapInterface>(*held.collection);
    ModelElement const element = map.genericGet(keyOf(map.getQualifierType(), inputs[1]));
    setOutput(outputCount, outputs, bindElement(element.getImpl()));
}

void mapHasKey(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    auto& map = interfaceOf<GenericMapInterface>(*held.collection);
    bool const has = !map.genericGet(keyOf(map.getQualifierType(), inputs[1])).isEmpty();
    setOutput(outputCount, outputs, has);
}

// ---- Multimap -----------------------------------------------------------------------------

void multimapGet(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    auto& map = interfaceOf<GenericMultimapInterface>(*held.collection);
    setOutput(outputCount, outputs,
              elementCell(map.genericGet(keyOf(map.getQualifierType(), inputs[1]))));
}

void multimapHasKey(int& outputCount, Value* outputs, int inputCount,
                    zvArray const* const* inputs) {
    HeldCollection const held(inputCount, inputs);
    auto& map = interfaceOf<GenericMultimapInterface>(*held.collection);
    bool const has = !map.genericGet(keyOf(map.getQualifierType(), inputs[1])).empty();
    setOutput(outputCount, outputs, has);
}

// ---- class descriptions -------------------------------------------------------------------

// "keys", "get" (whose output is `getOutput`, described by `getDescription`) and "hasKey" of a
// map or multimap view.
void addKeyedMethods(olan::COSClassDefinition& definition, std::string const& self,
                     MethodBody keysBody, MethodBody getBody, std::string_view getOutput,
                     std::string getDescription, MethodBody hasKeyBody) {
    addMethod(definition, "keys", "The keys as UUID text, in ascending order.", 0, keysBody, 0,
              "obj", olan::factory::detail::StringVectorType, self);
    addMethod(definition, "get", std::move(getDescription), 0, getBody, 0, "obj key", getOutput,
              self, "char");
    addMethod(definition, "hasKey", "Tells whether an element is filed under the key.", 0,
              hasKeyBody, 0, "obj key", "logical scalar", self, "char");
}

enum class ViewKind { Set, Sequence, Map, Multimap };

class ViewClass final : public olan::factory::HandleClassInfo<ReferenceCollection, false> {
  public:
    ViewClass(ViewKind kind, std::string shortName, std::string qualifiedName,
              std::string description)
        : HandleClassInfo(std::move(shortName), std::move(qualifiedName))
        , m_kind(kind)
        , m_description(std::move(description)) {}

    std::string getDescription() const override { return m_description; }

    void defineMembers(olan::COSClassDefinition& definition) override {
        olan::factory::detail::initStringDataTypes();
        std::string const self = getQualifiedName();
        if (m_kind == ViewKind::Set) {
            addMethod(definition, "size", "The number of elements in the collection.", 0, &size, 0,
                      "obj", "double scalar", self);
            addMethod(definition, "elements", "The elements, in the collection's order.", 0,
                      &elements, 0, "obj", "cell", self);
            addMethod(definition, "contains", "Tells whether the element is in the collection.", 0,
                      &contains, 0, "obj element", "logical scalar", self, "any");
            return;
        }
        definition.addSuperclass(olan::internal::makeInterned(SetViewClassName), 1, 0, 1);
        switch (m_kind) {
            case ViewKind::Sequence:
                addMethod(definition, "at",
                          "The element at a 1-based position, or the empty object past the end.", 0,
                          &at, 0, "obj position", ModelElementClassName, self, "double scalar");
                break;
            case ViewKind::Map:
                addKeyedMethods(definition, self, &keys<GenericMapInterface>, &mapGet,
                                ModelElementClassName,
                                "The element filed under the key, or the empty object when there "
                                "is none.",
                                &mapHasKey);
                break;
            case ViewKind::Multimap:
                addKeyedMethods(definition, self, &keys<GenericMultimapInterface>, &multimapGet,
                                "cell", "The elements filed under the key, in insertion order.",
                                &multimapHasKey);
                break;
            case ViewKind::Set:
                break;
        }
    }

  protected:
    /// Removes the binding; when one was removed, releases the owner reference it held.
    void destroyNativeInstance(ReferenceCollection* collection) override {
        if (BindingRegistry::remove(collection) && collection != nullptr) {
            detail::releaseBindingReference(collection->getOwner());
        }
    }

  private:
    ViewKind m_kind;
    std::string m_description;
};

}  // namespace

olan::COSClassInfo* createSetViewClass() {
    return new ViewClass(ViewKind::Set, "Set", SetViewClassName,
                         "A live view of a collection of elements: it shows the collection as it "
                         "is at each call.");
}
olan::COSClassInfo* createSequenceViewClass() {
    return new ViewClass(ViewKind::Sequence, "Sequence", SequenceViewClassName,
                         "A live view of an ordered collection of elements.");
}
olan::COSClassInfo* createMapViewClass() {
    return new ViewClass(ViewKind::Map, "Map", MapViewClassName,
                         "A live view of a collection of elements filed under UUID keys, one "
                         "element per key.");
}
olan::COSClassInfo* createMultimapViewClass() {
    return new ViewClass(ViewKind::Multimap, "Multimap", MultimapViewClassName,
                         "A live view of a collection of elements filed under UUID keys, any "
                         "number of elements per key.");
}

}  // namespace korm::zero::zi::internal
