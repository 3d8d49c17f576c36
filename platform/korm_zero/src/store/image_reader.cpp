// loadImage: a stored image rebuilt in an empty model, generically through the meta model.

#include <algorithm>
#include <boost/uuid/nil_generator.hpp>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

#include "../progress_counter.hpp"
#include "element_values.hpp"
#include "elements_by_id.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/meta/package_loaders.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/proxy.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/value_codec.hpp"
#include "member_rows.hpp"
#include "model_image.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::store {

namespace {

namespace messages = korm0::messages;
using tarsk::core::text::toUtf16;

class ImageReader {
  public:
    ImageReader(Model model, std::string const& path)
        : m_model(std::move(model)), m_path(path), m_registry(meta::MetaRegistry::getInstance()) {}

    void checkPackages(StoredHeader const& header) const;
    void createElements(std::vector<StoredElement> const& elements, ProgressCounter& progress);
    /// Single values first, then collection members: a keyed collection files a member under
    /// its key, so the member's key must be set before it is added.
    void applyValues(std::vector<StoredValue> const& values);
    /// The members of collections stored in member rows, filed in the order of their stored
    /// positions (which orders each key group).
    void addMemberRows(std::vector<StoredElement> const& elements);
    /// The containment the collections rebuilt must be the one stored with the elements.
    void checkContainment(std::vector<StoredElement> const& elements) const;

  private:
    /// The element and property a row sets.
    struct Target {
        boost::uuids::uuid elementId{};
        boost::uuids::uuid propertyId{};
        ModelElement::Impl* element = nullptr;
        meta::Property property;
    };

    [[noreturn]] void corrupt(std::string const& what) const {
        reportException(messages::ModelFileCorrupt(m_path, what));
    }
    std::u16string text16(std::string_view bytes) const;
    meta::Class classOf(boost::uuids::uuid const& id) const;
    /// The builder of the class `classId`, made on the first element of that class and used
    /// for all of them.
    ModelElement::Builder& builderFor(boost::uuids::uuid const& classId);
    meta::Property propertyOf(ModelElement::Impl const& element,
                              boost::uuids::uuid const& id) const;
    ModelElement::Impl& elementOf(boost::uuids::uuid const& id) const;
    /// The collection a member row files its element in (ModelFileCorrupt when the row's
    /// container and property name no collection stored in member rows).
    ReferenceCollection* memberRowCollection(StoredElement const& row) const;
    /// Rows come sorted by element and property, so the previous row's target is kept and
    /// looked up again only for a row that names another element or property.
    Target const& targetOf(StoredValue const& row);
    ModelElement referenceOf(StoredValue const& row, meta::Property const& property) const;
    void applyValue(ModelElement::Impl& element, meta::Property const& property,
                    StoredValue const& row);
    void addMember(ModelElement::Impl& element, meta::Property const& property,
                   StoredValue const& row);

    Model m_model;
    std::string const& m_path;
    meta::MetaRegistry& m_registry;
    ElementsById m_elements;
    struct ClassBuilder {
        boost::uuids::uuid classId;
        std::unique_ptr<ModelElement::Builder> builder;
    };
    /// A model's elements are of a few classes: a short list, the last one used first.
    std::vector<ClassBuilder> m_builders;
    /// The records made, in the order of the image's elements: the passes over the elements
    /// take them by index instead of looking each up by UUID.
    std::vector<ModelElement::Impl*> m_made;
    Target m_target;
};

void ImageReader::checkPackages(StoredHeader const& header) const {
    for (auto const& uri : header.packageUris) {
        // A package built on first use is built now, if its library recorded how.
        if (meta::loadRootPackage(uri).isEmpty()) {
            reportException(messages::ModelFileUnknownPackage(m_path, uri));
        }
    }
}

std::u16string ImageReader::text16(std::string_view bytes) const {
    try {
        return toUtf16(bytes);
    } catch (tarsk::core::except::Exception<tarsk::core::text::IllFormedText> const&) {
        corrupt("a proxy id is not well-formed UTF-8");
    }
}

meta::Class ImageReader::classOf(boost::uuids::uuid const& id) const {
    ModelElement const record = m_registry.getMetaModel().findElement(id);
    if (meta::asClassImpl(record) == nullptr) {
        reportException(messages::ModelFileUnknownClass(m_path, uuidText(id)));
    }
    return meta::Class(record.getImpl());
}

meta::Property ImageReader::propertyOf(ModelElement::Impl const& element,
                                       boost::uuids::uuid const& id) const {
    ModelElement const record = m_registry.getMetaModel().findElement(id);
    auto const* property = dynamic_cast<meta::Property::Impl const*>(record.getImpl());
    if (property == nullptr ||
        !meta::asClassImpl(element.getMetaClass())->conformsTo(property->getOwningType())) {
        corrupt("element " + uuidText(element.getUuid()) + " has no property " + uuidText(id));
    }
    return meta::Property(record.getImpl());
}

ModelElement::Impl& ImageReader::elementOf(boost::uuids::uuid const& id) const {
    ModelElement::Impl* element = m_elements.find(id);
    if (element == nullptr) {
        corrupt("element " + uuidText(id) + " is referred to but not stored");
    }
    return *element;
}

ModelElement::Builder& ImageReader::builderFor(boost::uuids::uuid const& classId) {
    if (!m_builders.empty() && m_builders.back().classId == classId) {
        return *m_builders.back().builder;
    }
    auto const known = std::find_if(m_builders.begin(), m_builders.end(),
                                    [&](ClassBuilder const& b) { return b.classId == classId; });
    if (known != m_builders.end()) {
        std::iter_swap(known, m_builders.end() - 1);
        return *m_builders.back().builder;
    }
    meta::Class const metaClass = classOf(classId);
    auto builder = m_registry.createBuilder(metaClass, m_model);
    if (!builder) {
        reportException(messages::NoBuilderForClass(meta::qualifiedNameOf(metaClass)));
    }
    m_builders.push_back({classId, std::move(builder)});
    return *m_builders.back().builder;
}

void ImageReader::createElements(std::vector<StoredElement> const& elements,
                                 ProgressCounter& progress) {
    m_elements.reserve(elements.size());
    m_made.reserve(elements.size());
    for (auto const& row : elements) {
        ModelElement::Builder& builder = builderFor(row.classId);
        ModelElement const element = builder.createUnannounced(row.id);
        if (element.isEmpty() || element->getUuid() != row.id) {
            reportException(
                messages::NoBuilderForClass(meta::qualifiedNameOf(builder.getMetaClass())));
        }
        element->notifyCreated();
        m_elements.add(row.id, element.getImpl());
        m_made.push_back(element.getImpl());
        progress.step();
    }
    m_elements.seal();
}

ImageReader::Target const& ImageReader::targetOf(StoredValue const& row) {
    bool const sameElement = m_target.element != nullptr && m_target.elementId == row.element;
    if (!sameElement) {
        m_target.element = &elementOf(row.element);
        m_target.elementId = row.element;
    }
    if (!sameElement || m_target.propertyId != row.property) {
        m_target.property = propertyOf(*m_target.element, row.property);
        m_target.propertyId = row.property;
    }
    return m_target;
}

void ImageReader::applyValues(std::vector<StoredValue> const& values) {
    std::vector<StoredValue const*> members;
    for (auto const& row : values) {
        Target const& target = targetOf(row);
        if (target.property.getPropertyImpl()->isMany()) {
            members.push_back(&row);
        } else {
            applyValue(*target.element, target.property, row);
        }
    }
    for (StoredValue const* row : members) {
        Target const& target = targetOf(*row);
        addMember(*target.element, target.property, *row);
    }
}

void ImageReader::addMemberRows(std::vector<StoredElement> const& elements) {
    struct Member {
        std::int64_t position;
        ModelElement::Impl* element;
        ReferenceCollection* collection;
    };
    std::vector<Member> members;
    members.reserve(elements.size());
    // Members of one collection usually follow each other: its look-up is kept.
    boost::uuids::uuid lastContainer{};
    boost::uuids::uuid lastFeature{};
    ReferenceCollection* collection = nullptr;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        StoredElement const& row = elements[i];
        if (row.container.is_nil() || row.position < 0) {
            continue;
        }
        if (collection == nullptr || row.container != lastContainer || row.feature != lastFeature) {
            collection = memberRowCollection(row);
            lastContainer = row.container;
            lastFeature = row.feature;
        }
        members.push_back({row.position, m_made[i], collection});
    }
    std::stable_sort(members.begin(), members.end(),
                     [](Member const& a, Member const& b) { return a.position < b.position; });
    for (Member const& member : members) {
        member.collection->getGenericInterface()->genericAdd(ModelElement(member.element));
    }
}

ReferenceCollection* ImageReader::memberRowCollection(StoredElement const& row) const {
    ModelElement::Impl& container = elementOf(row.container);
    meta::Property const feature = propertyOf(container, row.feature);
    ReferenceCollection* collection =
        feature.getPropertyImpl()->isMany() ? collectionOf(container, feature) : nullptr;
    if (collection == nullptr || !isStoredInMemberRows(*feature.getPropertyImpl(), *collection)) {
        corrupt("element " + uuidText(row.id) + " has a position in a collection that " +
                "is not stored with its members");
    }
    return collection;
}

void ImageReader::checkContainment(std::vector<StoredElement> const& elements) const {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        StoredElement const& row = elements[i];
        ModelElement::Impl const& element = *m_made[i];
        ModelElement::Impl const* container = element.basicContainer();
        meta::Property const feature = element.containmentFeature();
        bool const same = container == nullptr
                              ? row.container.is_nil()
                              : container->getUuid() == row.container && !feature.isEmpty() &&
                                    feature->getUuid() == row.feature;
        if (!same) {
            corrupt("the stored container of element " + uuidText(row.id) +
                    " is not the one its values give");
        }
    }
}

ModelElement ImageReader::referenceOf(StoredValue const& row,
                                      meta::Property const& property) const {
    if (row.kind == StoredValue::Kind::ELEMENT) {
        std::string_view const bytes = row.data;
        boost::uuids::uuid id = boost::uuids::nil_uuid();
        if (bytes.size() != id.size()) {
            corrupt("a reference is not a 16-byte UUID");
        }
        std::copy(bytes.begin(), bytes.end(), id.begin());
        return ModelElement(&elementOf(id));
    }
    // A proxy of its stored class when that class is known, else of the property's type.
    boost::optional<std::u16string> modelName;
    if (!row.proxyModel().empty()) {
        modelName = text16(row.proxyModel());
    }
    ProxyId id(text16(row.data), text16(row.proxyClass()), std::move(modelName));
    meta::Class metaClass(property.getPropertyImpl()->getType().getImpl());
    if (auto const classId = parseUuidText(row.proxyClass())) {
        ModelElement const record = m_registry.getMetaModel().findElement(*classId);
        if (meta::asClassImpl(record) != nullptr) {
            metaClass = meta::Class(record.getImpl());
        }
    }
    return createProxy(m_model, metaClass, std::move(id));
}

void ImageReader::applyValue(ModelElement::Impl& element, meta::Property const& property,
                             StoredValue const& row) {
    meta::Type const type = property.getPropertyImpl()->getType();
    if (row.kind != StoredValue::Kind::BYTES) {
        if (meta::asClassImpl(type) == nullptr) {
            corrupt("a reference is stored for a property of primitive type");
        }
        element.setPropertyValue(property, makeElementValue(property, referenceOf(row, property)),
                                 NO_PROXY_RESOLVE);
        return;
    }
    auto const codec = ValueCodecRegistry::getInstance().getCodec(type);
    if (!codec) {
        corrupt("the values of property " + property.getPropertyImpl()->getName8() +
                " have no codec in this program");
    }
    element.setPropertyValue(property, codec->decode(row.data, ValueMeta(property)),
                             NO_PROXY_RESOLVE);
}

void ImageReader::addMember(ModelElement::Impl& element, meta::Property const& property,
                            StoredValue const& row) {
    if (row.kind == StoredValue::Kind::BYTES) {
        corrupt("a value is stored as a member of collection " +
                property.getPropertyImpl()->getName8());
    }
    ReferenceCollection* collection = collectionOf(element, property);
    if (collection == nullptr || collection->getGenericInterface() == nullptr) {
        corrupt("collection " + property.getPropertyImpl()->getName8() + " cannot be filled");
    }
    ModelElement const member = referenceOf(row, property);
    if (!member->isProxy() && isStoredInMemberRows(*property.getPropertyImpl(), *collection)) {
        corrupt("a member of collection " + property.getPropertyImpl()->getName8() +
                " is stored as a value of its owner");
    }
    if (member->isProxy()) {
        ModelElement::Impl::_basicAddWithProxy(*collection, member);
    } else {
        collection->getGenericInterface()->genericAdd(member);
    }
}

}  // namespace

void loadImage(Model const& model, ModelImage const& image, std::string const& path,
               ProgressCounter& progress) {
    ImageReader reader(model, path);
    reader.checkPackages(image.header);
    // Non-undoable: opening is no undo step; a failure rolls everything back.
    Transaction transaction = model->beginTransaction(true);
    reader.createElements(image.elements, progress);
    reader.applyValues(image.values);
    reader.addMemberRows(image.elements);
    reader.checkContainment(image.elements);
    transaction.commit();
}

}  // namespace korm::zero::store
