// The meta registry: the meta model with the framework's own types, type names, factories,
// root packages, invokers and reflective invocation.

#include "korm/zero/meta/meta_registry.hpp"

#include <array>
#include <atomic>
#include <boost/uuid/name_generator_sha1.hpp>
#include <boost/uuid/string_generator.hpp>
#include <unordered_map>
#include <utility>

#include "internal.hpp"
#include "korm/zero/builder.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/reflection.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero {

meta::Class ModelElement::metaClass() {
    return meta::MetaRegistry::getInstance().getModelElementClass();
}

}  // namespace korm::zero

namespace korm::zero::meta {

namespace {

// The registry while it exists; meta objects that leave the meta model for good tell it.
std::atomic<MetaRegistry*> g_registry{nullptr};

constexpr std::size_t KIND_COUNT = 6;
// The framework's meta-classes of the kinds of meta objects. The meta model keeps them alive
// for the registry's life.
std::array<std::atomic<Class::Impl*>, KIND_COUNT> g_kindClasses{};

// Framework meta objects have name-based UUIDs in this namespace, so that they are the same
// in every process (stored models refer to class UUIDs).
boost::uuids::uuid frameworkUuid(std::string const& name) {
    static boost::uuids::uuid const space =
        boost::uuids::string_generator()("bca3d5b6-f0f2-4a9b-a1fc-ea2b8cfe3193");
    return boost::uuids::name_generator_sha1(space)(name);
}

// The framework package `name` in `parent` (the root package: empty name, no parent), with
// its URI below FRAMEWORK_URI.
Package makeFrameworkPackage(Model const& model, std::u16string const& name,
                             Package const& parent) {
    std::u16string const qualified =
        parent.isEmpty() ? name
        : parent.getPackageImpl()->getQualifiedName().empty()
            ? name
            : parent.getPackageImpl()->getQualifiedName() + u'.' + name;
    Package const package(
        detail::createRecord<Package::Impl>(
            model, frameworkUuid("package:" + tarsk::core::text::toUtf8(qualified)), name)
            .getImpl());
    std::u16string const base = MetaRegistry::FRAMEWORK_URI;
    package.getPackageImpl()->setUri(qualified.empty() ? base : base + u'/' + qualified);
    if (!parent.isEmpty()) {
        package.getPackageImpl()->setParentPackage(parent);
    }
    return package;
}

// The framework primitive type `name`, owned by `owner` (its qualified name is the
// registry's to set).
PrimitiveType makeFrameworkPrimitive(Model const& model, char const* name, Package const& owner) {
    PrimitiveType const type(detail::createRecord<PrimitiveType::Impl>(
                                 model, frameworkUuid(name), tarsk::core::text::toUtf16(name))
                                 .getImpl());
    type.getPrimitiveTypeImpl()->setOwningPackage(owner);
    return type;
}

// The framework class `name` in `package`, registered under its dotted qualified name and its
// native name ("korm.zero.ModelElement" is "korm::zero::ModelElement").
Class makeFrameworkClass(MetaRegistry& registry, std::u16string const& name, Package const& package,
                         Class const& superclass, bool isAbstract) {
    std::u16string const qualified = package.getPackageImpl()->getQualifiedName() + u'.' + name;
    std::string const qualified8 = tarsk::core::text::toUtf8(qualified);
    Class const type(
        detail::createRecord<Class::Impl>(registry.getMetaModel(), frameworkUuid(qualified8), name)
            .getImpl());
    Class::Impl* const record = type.getClassImpl();
    record->setOwningPackage(package);
    record->setIsAbstract(isAbstract);
    record->setSuperclass(superclass);
    std::string native = qualified8;
    for (std::size_t at = native.find('.'); at != std::string::npos;
         at = native.find('.', at + 2)) {
        native.replace(at, 1, "::");
    }
    registry.registerTypeNames(type, native, qualified8, std::string());
    return type;
}

struct FrameworkClasses {
    Class modelElement;
    std::array<std::pair<MetaKind, Class>, KIND_COUNT> kinds;
};

// The meta-class of ModelElement, the abstract meta-classes "Type" and "TypedElement", and the
// meta-classes of the kinds of meta objects.
FrameworkClasses makeFrameworkClasses(MetaRegistry& registry, Package const& zero,
                                      Package const& metaPackage) {
    auto const makeClass = [&registry](std::u16string const& name, Package const& package,
                                       Class const& superclass, bool isAbstract) {
        return makeFrameworkClass(registry, name, package, superclass, isAbstract);
    };
    Class const element = makeClass(u"ModelElement", zero, Class(), true);
    Class const type = makeClass(u"Type", metaPackage, element, true);
    Class const typedElement = makeClass(u"TypedElement", metaPackage, element, true);
    return {element,
            {{
                {MetaKind::PACKAGE, makeClass(u"Package", metaPackage, element, false)},
                {MetaKind::PRIMITIVE_TYPE, makeClass(u"PrimitiveType", metaPackage, type, false)},
                {MetaKind::CLASS, makeClass(u"Class", metaPackage, type, false)},
                {MetaKind::PROPERTY, makeClass(u"Property", metaPackage, typedElement, false)},
                {MetaKind::OPERATION, makeClass(u"Operation", metaPackage, typedElement, false)},
                {MetaKind::ARGUMENT, makeClass(u"Argument", metaPackage, typedElement, false)},
            }}};
}

Value invokeThroughRegistry(ModelElement::Impl& target, Operation const& operation,
                            std::vector<Value> const& arguments) {
    boost::optional<Value> result =
        MetaRegistry::getInstance().invoke(operation, ModelElement(&target), arguments);
    return result ? std::move(*result) : Value();
}

std::u16string operationText(Operation const& operation) {
    if (operation.isEmpty()) {
        return std::u16string();
    }
    Operation::Impl const* const record = operation.getOperationImpl();
    Class const owner = record->getOwningType();
    return owner.isEmpty() ? record->getName()
                           : owner.getClassImpl()->getQualifiedName() + u'.' + record->getName();
}

}  // namespace

namespace detail {

Class kindClass(MetaKind kind) noexcept {
    return Class(g_kindClasses[static_cast<std::size_t>(kind)].load(std::memory_order_acquire));
}

}  // namespace detail

namespace internal {

Type getPrimitiveTypeFromMetaRegistry(std::u16string const& name) {
    MetaRegistry& registry = MetaRegistry::getInstance();
    Type const type = registry.getType(name);
    Type::Impl const* const record = asTypeImpl(type);
    return record != nullptr && record->getKind() == MetaKind::PRIMITIVE_TYPE ? type : Type();
}

}  // namespace internal

AbstractMethodInvoker::~AbstractMethodInvoker() = default;

struct MetaRegistry::State {
    struct TypeEntry {
        Type type;
        std::string nativeName;
        std::string qualifiedName;
        std::string thirdName;
        CollectionFactory collectionFactory = nullptr;
        BuilderFactory builderFactory = nullptr;
    };
    struct InvokerEntry {
        Operation operation;
        // Shared so that a call in progress on one thread survives a replacement on another.
        std::shared_ptr<AbstractMethodInvoker> invoker;
    };

    std::unordered_map<ModelElement::Impl const*, TypeEntry> types;
    std::unordered_map<std::string, Type> byQualifiedName;
    std::unordered_map<std::string, Type> byNativeName;
    std::unordered_map<std::u16string, PrimitiveType> primitives;
    std::unordered_map<std::u16string, Package> roots;
    std::unordered_map<ModelElement::Impl const*, InvokerEntry> invokers;
    Class modelElementClass;

    void eraseName(std::unordered_map<std::string, Type>& names, std::string const& name,
                   ModelElement::Impl const* record) {
        if (auto const it = names.find(name); it != names.end() && it->second.getImpl() == record) {
            names.erase(it);
        }
    }
    void eraseNames(TypeEntry const& entry) {
        ModelElement::Impl const* const record = entry.type.getImpl();
        eraseName(byNativeName, entry.nativeName, record);
        eraseName(byQualifiedName, entry.qualifiedName, record);
        eraseName(byQualifiedName, entry.thirdName, record);
    }
    // `type` takes `name` (unless empty) in `names`; the type that held it loses it.
    void claimName(std::unordered_map<std::string, Type>& names, std::string const& name,
                   Type const& type) {
        if (name.empty()) {
            return;
        }
        Type& holder = names[name];
        if (!holder.isEmpty() && !(holder == type)) {
            TypeEntry& previous = types[holder.getImpl()];
            for (std::string* own :
                 {&previous.nativeName, &previous.qualifiedName, &previous.thirdName}) {
                if (*own == name) {
                    own->clear();
                }
            }
        }
        holder = type;
    }

    // What forget takes out for a record, to be destroyed once the lock is released.
    struct Forgotten {
        std::shared_ptr<AbstractMethodInvoker> invoker;
        Operation operation;
        Type type;
        Package root;
        PrimitiveType primitive;
    };
    void forget(ModelElement::Impl const* record, Forgotten& taken) noexcept {
        if (auto const it = invokers.find(record); it != invokers.end()) {
            taken.invoker = std::move(it->second.invoker);
            taken.operation = std::move(it->second.operation);
            invokers.erase(it);
        }
        if (auto const it = types.find(record); it != types.end()) {
            eraseNames(it->second);
            taken.type = std::move(it->second.type);
            types.erase(it);
        }
        takeHandlesOf(roots, record, taken.root);
        takeHandlesOf(primitives, record, taken.primitive);
    }
    // Takes every entry of `names` whose handle is `record` out of `names`. A record may be
    // filed under several names (a root package registered again under a new URI). The first
    // handle moves into `taken`, which keeps the record alive until the caller drops it; the
    // others go at once, which only lowers the record's count.
    template <class Handle>
    static void takeHandlesOf(std::unordered_map<std::u16string, Handle>& names,
                              ModelElement::Impl const* record, Handle& taken) noexcept {
        for (auto it = names.begin(); it != names.end();) {
            if (it->second.getImpl() != record) {
                ++it;
                continue;
            }
            if (taken.isEmpty()) {
                taken = std::move(it->second);
            }
            it = names.erase(it);
        }
    }
};

MetaRegistry& MetaRegistry::getInstance() {
    static MetaRegistry registry;
    return registry;
}

MetaRegistry::MetaRegistry() : m_model(Model::create()), m_state(std::make_unique<State>()) {
    bootstrap();
    m_freezer = std::make_unique<Model::Freezer>(m_model);
    g_registry.store(this, std::memory_order_release);
    setInvokeHandler(&invokeThroughRegistry);
}

MetaRegistry::~MetaRegistry() {
    setInvokeHandler(nullptr);
    g_registry.store(nullptr, std::memory_order_release);
    for (auto& kindClass : g_kindClasses) {
        kindClass.store(nullptr, std::memory_order_release);
    }
    detail::resetStandardTypes();
    // Invokers and names first (they hold meta objects); then the model releases the meta
    // objects, each dropping the handles it holds.
    m_state.reset();
    m_freezer.reset();
    m_model = Model();
}

// The framework's own part of the meta model: a root package with "korm", "korm.zero" and
// "korm.zero.meta"; the primitive types; the meta-class of ModelElement and those of the
// meta objects.
void MetaRegistry::bootstrap() {
    Transaction transaction = m_model->beginTransaction(true);
    Package const root = makeFrameworkPackage(m_model, u"", Package());
    Package const korm = makeFrameworkPackage(m_model, u"korm", root);
    Package const zero = makeFrameworkPackage(m_model, u"zero", korm);
    Package const metaPackage = makeFrameworkPackage(m_model, u"meta", zero);
    for (char const* name : {"UUID", "String", "Boolean"}) {
        PrimitiveType const type = makeFrameworkPrimitive(m_model, name, zero);
        type.getPrimitiveTypeImpl()->setQualifiedName8(name);
        m_state->primitives.emplace(type.getPrimitiveTypeImpl()->getName(), type);
    }
    FrameworkClasses const classes = makeFrameworkClasses(*this, zero, metaPackage);
    m_state->modelElementClass = classes.modelElement;
    transaction.commit();
    for (auto const& [kind, metaClass] : classes.kinds) {
        g_kindClasses[static_cast<std::size_t>(kind)].store(metaClass.getClassImpl(),
                                                            std::memory_order_release);
    }
    registerRootPackage(root);
}

// ---- types and names --------------------------------------------------------------------

Type MetaRegistry::getType(std::u16string const& name) const {
    std::lock_guard const lock(m_mutex);
    if (auto const it = m_state->primitives.find(name); it != m_state->primitives.end()) {
        return it->second;
    }
    if (!tarsk::core::text::isWellFormed(name)) {
        return Type();  // names no type; its conversion would be refused
    }
    auto const it = m_state->byQualifiedName.find(tarsk::core::text::toUtf8(name));
    return it != m_state->byQualifiedName.end() ? it->second : Type();
}

Class MetaRegistry::getModelElementClass() const {
    std::lock_guard const lock(m_mutex);
    return m_state->modelElementClass;
}

void MetaRegistry::registerTypeNames(Type const& type, std::string const& nativeName,
                                     std::string const& qualifiedName,
                                     std::string const& thirdName) {
    if (type.isEmpty()) {
        return;
    }
    std::lock_guard const lock(m_mutex);
    State::TypeEntry& entry = m_state->types[type.getImpl()];
    entry.type = type;
    m_state->eraseNames(entry);
    entry.nativeName = nativeName;
    entry.qualifiedName = qualifiedName;
    entry.thirdName = thirdName;
    m_state->claimName(m_state->byNativeName, nativeName, type);
    m_state->claimName(m_state->byQualifiedName, qualifiedName, type);
    m_state->claimName(m_state->byQualifiedName, thirdName, type);
}

Type MetaRegistry::findTypeByQualifiedName(std::string const& qualifiedName) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->byQualifiedName.find(qualifiedName);
    return it != m_state->byQualifiedName.end() ? it->second : Type();
}

Type MetaRegistry::findTypeByNativeName(std::string const& nativeName) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->byNativeName.find(nativeName);
    return it != m_state->byNativeName.end() ? it->second : Type();
}

Class MetaRegistry::findClassByQualifiedName(std::string const& qualifiedName) const {
    Type const type = findTypeByQualifiedName(qualifiedName);
    return asClassImpl(type) != nullptr ? Class(type.getImpl()) : Class();
}

Class MetaRegistry::findClassByNativeName(std::string const& nativeName) const {
    Type const type = findTypeByNativeName(nativeName);
    return asClassImpl(type) != nullptr ? Class(type.getImpl()) : Class();
}

std::string MetaRegistry::getNativeName(Type const& type) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->types.find(type.getImpl());
    return it != m_state->types.end() ? it->second.nativeName : std::string();
}

std::string MetaRegistry::getRegisteredQualifiedName(Type const& type) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->types.find(type.getImpl());
    return it != m_state->types.end() ? it->second.qualifiedName : std::string();
}

// ---- factories --------------------------------------------------------------------------

void MetaRegistry::registerType(Type const& type, CollectionFactory collectionFactory,
                                BuilderFactory builderFactory) {
    if (type.isEmpty()) {
        return;
    }
    std::lock_guard const lock(m_mutex);
    State::TypeEntry& entry = m_state->types[type.getImpl()];
    entry.type = type;
    entry.collectionFactory = collectionFactory;
    entry.builderFactory = builderFactory;
}

MetaRegistry::CollectionFactory MetaRegistry::getCollectionFactory(Type const& type) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->types.find(type.getImpl());
    return it != m_state->types.end() ? it->second.collectionFactory : nullptr;
}

MetaRegistry::BuilderFactory MetaRegistry::getBuilderFactory(Type const& type) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->types.find(type.getImpl());
    return it != m_state->types.end() ? it->second.builderFactory : nullptr;
}

std::unique_ptr<ReferenceCollection> MetaRegistry::createCollection(
    Type const& type, ModelElement::Impl* owner, Property const& property) const {
    CollectionFactory const factory = getCollectionFactory(type);
    return std::unique_ptr<ReferenceCollection>(factory != nullptr ? factory(owner, property)
                                                                   : nullptr);
}

std::unique_ptr<ModelElement::Builder> MetaRegistry::createBuilder(Type const& type,
                                                                   Model const& model) const {
    BuilderFactory const factory = getBuilderFactory(type);
    return factory != nullptr ? factory(model) : nullptr;
}

// ---- root packages ----------------------------------------------------------------------

void MetaRegistry::registerRootPackage(Package const& package) {
    if (package.isEmpty()) {
        return;
    }
    std::lock_guard const lock(m_mutex);
    m_state->roots[package.getPackageImpl()->getUri()] = package;
}

bool MetaRegistry::unregisterRootPackage(std::u16string const& uri) {
    std::lock_guard const lock(m_mutex);
    return m_state->roots.erase(uri) > 0;
}

Package MetaRegistry::getRootPackage(std::u16string const& uri) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->roots.find(uri);
    return it != m_state->roots.end() ? it->second : Package();
}

std::vector<Package> MetaRegistry::getRootPackages() const {
    std::lock_guard const lock(m_mutex);
    std::vector<Package> result;
    result.reserve(m_state->roots.size());
    for (auto const& entry : m_state->roots) {
        result.push_back(entry.second);
    }
    return result;
}

// ---- invokers ---------------------------------------------------------------------------

void MetaRegistry::setInvoker(Operation const& operation,
                              std::unique_ptr<AbstractMethodInvoker> invoker) {
    if (operation.isEmpty()) {
        return;
    }
    std::shared_ptr<AbstractMethodInvoker> replaced;
    {
        std::lock_guard const lock(m_mutex);
        if (!invoker) {
            if (auto const it = m_state->invokers.find(operation.getImpl());
                it != m_state->invokers.end()) {
                replaced = std::move(it->second.invoker);
                m_state->invokers.erase(it);
            }
        } else {
            State::InvokerEntry& entry = m_state->invokers[operation.getImpl()];
            entry.operation = operation;
            replaced = std::exchange(entry.invoker, std::move(invoker));
        }
    }
    // The replaced invoker (if no call holds it) goes here, outside the lock.
}

bool MetaRegistry::hasInvoker(Operation const& operation) const {
    std::lock_guard const lock(m_mutex);
    return m_state->invokers.count(operation.getImpl()) > 0;
}

boost::optional<Value> MetaRegistry::invoke(Operation const& operation,
                                            ModelElement const& receiver,
                                            std::vector<Value> const& arguments) const {
    std::shared_ptr<AbstractMethodInvoker> invoker;
    {
        std::lock_guard const lock(m_mutex);
        if (auto const it = m_state->invokers.find(operation.getImpl());
            it != m_state->invokers.end()) {
            invoker = it->second.invoker;
        }
    }
    if (!invoker) {
        reportException(korm0::messages::CannotInvokeOperation(
            operationText(operation),
            receiver.isEmpty() ? std::u16string() : receiver->identifier()));
    }
    return invoker->invoke(receiver, arguments);
}

boost::optional<Value> MetaRegistry::invoke(Class const& metaClass,
                                            std::u16string const& operationName,
                                            ModelElement const& receiver,
                                            std::vector<Value> const& arguments) const {
    Operation const operation =
        metaClass.isEmpty() ? Operation() : metaClass.getClassImpl()->findOperation(operationName);
    if (operation.isEmpty()) {
        std::u16string const owner = metaClass.isEmpty()
                                         ? std::u16string()
                                         : metaClass.getClassImpl()->getQualifiedName() + u'.';
        reportException(korm0::messages::CannotInvokeOperation(
            owner + operationName, receiver.isEmpty() ? std::u16string() : receiver->identifier()));
    }
    return invoke(operation, receiver, arguments);
}

void MetaRegistry::forget(ModelElement::Impl const* record) noexcept {
    MetaRegistry* const registry = g_registry.load(std::memory_order_acquire);
    if (registry == nullptr) {
        return;
    }
    // What is dropped is destroyed after the lock is released.
    State::Forgotten taken;
    std::lock_guard const lock(registry->m_mutex);
    registry->m_state->forget(record, taken);
}

// ---- property serialisers ---------------------------------------------------------------

AbstractPropertySerializer::~AbstractPropertySerializer() = default;

struct PropertySerializerRegistry::State {
    struct Entry {
        Property property;
        std::unique_ptr<AbstractPropertySerializer> serializer;
    };
    std::unordered_map<ModelElement::Impl const*, Entry> serializers;
};

PropertySerializerRegistry& PropertySerializerRegistry::getInstance() {
    static PropertySerializerRegistry registry;
    return registry;
}

PropertySerializerRegistry::PropertySerializerRegistry() : m_state(std::make_unique<State>()) {}

PropertySerializerRegistry::~PropertySerializerRegistry() = default;

void PropertySerializerRegistry::registerSerializer(
    Property const& property, std::unique_ptr<AbstractPropertySerializer> serializer) {
    if (property.isEmpty()) {
        return;
    }
    std::unique_ptr<AbstractPropertySerializer> replaced;
    std::lock_guard const lock(m_mutex);
    if (!serializer) {
        if (auto const it = m_state->serializers.find(property.getImpl());
            it != m_state->serializers.end()) {
            replaced = std::move(it->second.serializer);
            m_state->serializers.erase(it);
        }
        return;
    }
    State::Entry& entry = m_state->serializers[property.getImpl()];
    entry.property = property;
    replaced = std::exchange(entry.serializer, std::move(serializer));
}

AbstractPropertySerializer const* PropertySerializerRegistry::getSerializer(
    Property const& property) const {
    std::lock_guard const lock(m_mutex);
    auto const it = m_state->serializers.find(property.getImpl());
    return it != m_state->serializers.end() ? it->second.serializer.get() : nullptr;
}

}  // namespace korm::zero::meta
