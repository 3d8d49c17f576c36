// makeImage: a model's live elements as rows, generically through the meta model.

#include <algorithm>
#include <set>
#include <unordered_map>

#include "../progress_counter.hpp"
#include "element_values.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/value_codec.hpp"
#include "member_rows.hpp"
#include "model_image.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::store {

namespace {

using tarsk::core::text::toUtf8;

using ElementById = std::pair<boost::uuids::uuid, ModelElement::Impl const*>;

std::string_view uuidBytes(boost::uuids::uuid const& id) {
    return {reinterpret_cast<char const*>(id.data), id.size()};
}

/// The URI of the root package `metaClass` lies in ("" outside any package).
std::u16string rootUriOf(meta::Class const& metaClass) {
    meta::Package package = metaClass.getClassImpl()->getOwningPackage();
    while (!package.isEmpty()) {
        meta::Package parent = package.getPackageImpl()->getParentPackage();
        if (parent.isEmpty()) {
            return package.getPackageImpl()->getUri();
        }
        package = std::move(parent);
    }
    return {};
}

/// A collection's members in the order that re-adding them rebuilds it: a multimap by
/// ascending key and, per key, in filing order; any other collection in its own order.
/// Proxies follow the resolved members.
std::vector<ModelElement> membersInOrder(ReferenceCollection const& collection) {
    auto* generic = collection.getGenericInterface();
    if (generic == nullptr || !generic->isMultimapInterface()) {
        return collection.getAllValuesAndProxies();
    }
    auto const& multimap = static_cast<GenericMultimapInterface const&>(*generic);
    std::vector<ModelElement> members;
    for (Value const& key : multimap.genericKeys()) {
        for (ModelElement& member : multimap.genericGet(key)) {
            members.push_back(std::move(member));
        }
    }
    for (ModelElement& member : collection.getAllValuesAndProxies()) {
        if (member->isProxy()) {
            members.push_back(std::move(member));
        }
    }
    return members;
}

class ImageWriter {
  public:
    ImageWriter(Model::Impl const& model, std::string const& path) : m_model(model), m_path(path) {}
    /// Makes room for the rows of `elements` at once: growing the rows one by one moves a
    /// large model's values again and again.
    void reserve(std::vector<ElementById> const& elements);

    void addElement(ModelElement::Impl const& element);
    ModelImage take(std::u16string const& modelName);
    /// The multimap members numbered while adding elements (see KeyGroupPositions).
    auto const& numberedMembers() const noexcept { return m_positions.numbered(); }

  private:
    /// The properties of `element`'s class, ordered by UUID as the values' key orders them.
    /// The first element of a class also records the class's root package.
    std::vector<meta::Property> const& propertiesOf(ModelElement::Impl const& element,
                                                    meta::Class const& metaClass);
    void addProperty(ModelElement::Impl const& element, meta::Property const& property);
    /// A new row of the image for a value of `property` of `element`, filled in place.
    StoredValue& newRow(ModelElement::Impl const& element, meta::Property const& property);
    void addPrimitive(StoredValue& row, meta::Property const& property, Value const& value);
    void addReference(StoredValue& row, ModelElement::Impl const& target);
    ProxyId proxyIdInto(ModelElement::Impl const& target) const;

    Model::Impl const& m_model;
    std::string const& m_path;
    ModelImage m_image;
    std::set<std::u16string> m_uris;
    std::unordered_map<ModelElement::Impl const*, std::vector<meta::Property>> m_properties;
    KeyGroupPositions m_positions;
};

std::vector<meta::Property> const& ImageWriter::propertiesOf(ModelElement::Impl const& element,
                                                             meta::Class const& metaClass) {
    auto [it, added] = m_properties.try_emplace(metaClass.getImpl());
    if (added) {
        if (std::u16string uri = rootUriOf(metaClass); !uri.empty()) {
            m_uris.insert(std::move(uri));
        }
        for (std::size_t index = 1;; ++index) {
            meta::Property property = element.getPropertyByIndex(index);
            if (property.isEmpty()) {
                break;
            }
            it->second.push_back(std::move(property));
        }
        std::sort(it->second.begin(), it->second.end(),
                  [](meta::Property const& a, meta::Property const& b) {
                      return a->getUuid() < b->getUuid();
                  });
    }
    return it->second;
}

void ImageWriter::reserve(std::vector<ElementById> const& elements) {
    std::size_t rows = 0;
    for (auto const& [id, record] : elements) {
        ModelElement::Impl const& element = *record;
        for (meta::Property const& property : propertiesOf(element, element.getMetaClass())) {
            if (!property.getPropertyImpl()->isMany()) {
                ++rows;  // at most one row
                continue;
            }
            // A collection stored in its members' rows writes only its proxies (rare, not
            // counted) among its owner's values.
            ReferenceCollection const* collection = collectionOf(element, property);
            if (collection != nullptr && collection->getGenericInterface() != nullptr &&
                !isStoredInMemberRows(*property.getPropertyImpl(), *collection)) {
                rows += collection->getGenericInterface()->genericSize();
            }
        }
    }
    m_image.elements.reserve(elements.size());
    m_image.values.reserve(rows);
}

void ImageWriter::addElement(ModelElement::Impl const& element) {
    meta::Class const metaClass = element.getMetaClass();
    StoredElement& row = m_image.elements.emplace_back();
    row.id = element.getUuid();
    row.classId = metaClass->getUuid();
    ModelElement::Impl const* container = element.basicContainer();
    row.container = container != nullptr ? container->getUuid() : boost::uuids::uuid{};
    meta::Property const feature = element.containmentFeature();
    row.feature = feature.isEmpty() ? boost::uuids::uuid{} : feature->getUuid();
    // Only members stored in their own rows have a position; the others' order is their
    // owner's.
    if (ReferenceCollection const* collection = memberRowCollectionOf(element)) {
        row.position = m_positions.positionOf(element, *collection);
    }
    for (meta::Property const& property : propertiesOf(element, metaClass)) {
        addProperty(element, property);
    }
}

void ImageWriter::addProperty(ModelElement::Impl const& element, meta::Property const& property) {
    Value const value = element.getPropertyValue(property, NO_PROXY_RESOLVE);
    meta::Property::Impl const* const record = property.getPropertyImpl();
    if (record->isMany()) {
        // A many-valued property's value refers to its collection.
        if (auto const* collection = static_cast<ReferenceCollection const*>(value.getPayload())) {
            bool const inMemberRows = isStoredInMemberRows(*record, *collection);
            std::int64_t position = 0;
            for (ModelElement const& member :
                 inMemberRows ? collection->getProxies() : membersInOrder(*collection)) {
                StoredValue& row = newRow(element, property);
                row.member = true;
                row.position = position++;
                addReference(row, *member.getImpl());
            }
        }
    } else if (meta::asClassImpl(record->getType()) != nullptr) {
        if (ModelElement::Impl const* target = heldElement(value)) {
            addReference(newRow(element, property), *target);
        }
    } else if (value.hasData()) {
        addPrimitive(newRow(element, property), property, value);
    }
}

StoredValue& ImageWriter::newRow(ModelElement::Impl const& element,
                                 meta::Property const& property) {
    StoredValue& row = m_image.values.emplace_back();
    row.element = element.getUuid();
    row.property = property->getUuid();
    return row;
}

// A failure leaves a half-made row: the image is then dropped with the exception.
void ImageWriter::addPrimitive(StoredValue& row, meta::Property const& property,
                               Value const& value) {
    meta::Type const type = property.getPropertyImpl()->getType();
    auto const codec = ValueCodecRegistry::getInstance().getCodec(type);
    if (!codec) {
        reportException(korm0::messages::ModelFileCannotWrite(
            m_path, "the values of property " + property.getPropertyImpl()->getName8() + " (type " +
                        toUtf8(meta::qualifiedNameOf(type)) + ") have no codec"));
    }
    row.kind = StoredValue::Kind::BYTES;
    row.data = codec->encode(value);
}

/// The proxy id of `target`, an element of another model: a resolved reference into that
/// model is saved as the proxy it was opened as, with the model's name.
ProxyId ImageWriter::proxyIdInto(ModelElement::Impl const& target) const {
    Model::Impl const* const home = target.getModelImpl();
    if (home == nullptr || home->getName().empty()) {
        reportException(korm0::messages::ModelFileCannotWrite(
            m_path, "a reference leads to element " + uuidText(target.getUuid()) + " of " +
                        (home == nullptr ? "a model that is closed" : "a model without a name") +
                        ", which a model file cannot name"));
    }
    return target.getPersistentProxyId(true);
}

void ImageWriter::addReference(StoredValue& row, ModelElement::Impl const& target) {
    boost::optional<ProxyId> away;
    ProxyId const* id = target.getProxyId();
    if (id == nullptr && target.getModelImpl() != &m_model) {
        away = proxyIdInto(target);
        id = &*away;
    }
    if (id != nullptr) {
        row.kind = StoredValue::Kind::PROXY;
        row.data = toUtf8(id->getElementId());
        row.setProxyNames(toUtf8(id->getClassId()),
                          id->getModelName() ? toUtf8(*id->getModelName()) : std::string());
    } else {
        row.kind = StoredValue::Kind::ELEMENT;
        row.data = uuidBytes(target.getUuid());
    }
}

ModelImage ImageWriter::take(std::u16string const& modelName) {
    m_image.header.modelName = modelName;
    m_image.header.packageUris.assign(m_uris.begin(), m_uris.end());
    return std::move(m_image);
}

}  // namespace

ModelImage makeImage(Model::Impl const& model, std::string const& path, ProgressCounter& progress) {
    // In UUID order: the file's tables are keyed by UUID, and rows that arrive in key order
    // append to full pages instead of splitting half-full ones all over the tree.
    // The UUIDs are sorted beside the records, so that comparing does not reach into them.
    std::vector<ModelElement> const live = model.getElements();
    std::vector<ElementById> elements;
    elements.reserve(live.size());
    for (ModelElement const& element : live) {
        elements.emplace_back(element->getUuid(), element.getImpl());
    }
    std::sort(elements.begin(), elements.end(),
              [](ElementById const& a, ElementById const& b) { return a.first < b.first; });
    progress.begin(elements.size());
    ImageWriter writer(model, path);
    writer.reserve(elements);
    for (auto const& [id, element] : elements) {
        writer.addElement(*element);
        progress.step();
    }
    return writer.take(model.getName());
}

ImageChanges makeChanges(Model::Impl const& model, UuidSet const& unsaved, std::string const& path,
                         ProgressCounter& progress) {
    progress.begin(unsaved.size());
    ImageWriter writer(model, path);
    ImageChanges changes;
    for (auto const& id : unsaved) {
        progress.step();
        if (ModelElement::Impl const* element = model.findElement(id)) {
            writer.addElement(*element);
        } else {
            changes.removed.push_back(id);
        }
    }
    // Writing a multimap's member numbered its whole key group: the mates that keep their
    // rows take their new positions.
    for (auto const& [mate, position] : writer.numberedMembers()) {
        if (unsaved.count(mate->getUuid()) == 0) {
            changes.repositioned.push_back({mate->getUuid(), position});
        }
    }
    changes.rewritten = writer.take(model.getName());
    return changes;
}

}  // namespace korm::zero::store
