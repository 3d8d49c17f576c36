// The build of MetaPackageArvex_utilities from its tables (meta_package_table.cpp).

#include "arvex/utilities/meta/meta_package.hpp"

#include <boost/uuid/string_generator.hpp>
#include <mutex>
#include <vector>

#include "arvex/utilities/collections/typed_values.hpp"
#include "arvex/utilities/meta/package_table.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/package_loaders.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"

namespace arvex::utilities {

namespace kmeta = korm::zero::meta;
namespace table = meta_table;

static_assert(sizeof(MetaPackageArvex_utilities) ==
                  sizeof(kmeta::AbstractMetaPackage) +
                      MetaPackageArvex_utilities::HANDLE_COUNT * sizeof(korm::zero::ModelElement),
              "the meta-package holds exactly its handles");

namespace {

boost::uuids::uuid uuidOf(char const* text) {
    return boost::uuids::string_generator()(text);
}

std::u16string uriOf(table::PackageEntry const& package) {
    return std::u16string(MetaPackageArvex_utilities::SCHEMA_HOST) + package.uriPath;
}

/// Visits every handle in creation order.
template <class Visit>
void forEachHandle(MetaPackageArvex_utilities& package, Visit&& visit) {
    visit(package.*table::ROOT_PACKAGE.handle);
    visit(package.*table::ARVEX_PACKAGE.handle);
    visit(package.*table::UTILITIES_PACKAGE.handle);
    for (table::ClassEntry const& type : table::CLASSES) {
        visit(package.*type.handle);
        for (table::PropertyEntry const& property : type.properties) {
            visit(package.*property.handle);
        }
        for (table::OperationEntry const& operation : type.operations) {
            visit(package.*operation.handle);
            for (table::ArgumentEntry const& argument : operation.arguments) {
                visit(package.*argument.handle);
            }
        }
    }
}

void build() {
    static_cast<void>(MetaPackageArvex_utilities::getInstance());
}

// Recorded while the library is loaded: a model file of the library's classes then has the
// meta-package built when it is opened, even in a process that has not used them yet.
korm::zero::meta::PackageLoaderRegistration const loaderRegistration(uriOf(table::ROOT_PACKAGE),
                                                                     &build);

}  // namespace

MetaPackageArvex_utilities* MetaPackageArvex_utilities::getInstance() {
    // A constructor that throws leaves the static uninitialised: the next call builds again.
    static MetaPackageArvex_utilities* const instance = new MetaPackageArvex_utilities();
    return instance;
}

MetaPackageArvex_utilities::MetaPackageArvex_utilities() {
    try {
        initialize();
    } catch (...) {
        releaseHandles();
        throw;
    }
}

MetaPackageArvex_utilities::~MetaPackageArvex_utilities() = default;

void MetaPackageArvex_utilities::releaseHandles() noexcept {
    std::vector<korm::zero::ModelElement*> handles;
    handles.reserve(HANDLE_COUNT);
    forEachHandle(*this, [&](korm::zero::ModelElement& handle) { handles.push_back(&handle); });
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) {
        (*it)->reset();
    }
}

void MetaPackageArvex_utilities::initialize() {
    // Declared in the reverse order of their release: the transaction first, then the thaw,
    // the model reference, and the lock last.
    kmeta::MetaRegistry& registry = kmeta::MetaRegistry::getInstance();
    std::unique_lock<std::recursive_mutex> const lock(registry.getMutex());
    korm::zero::Model const model = registry.getMetaModel();
    korm::zero::Model::Thawer const thaw = registry.getFreezer().thaw();
    kmeta::PropertySerializerRegistry& serializers =
        kmeta::PropertySerializerRegistry::getInstance();

    boost::uuids::uuid const rootId = uuidOf(table::ROOT_PACKAGE_UUID);
    removeStaleRoot(model, rootId);

    korm::zero::Transaction transaction = model->beginTransaction(true);
    rootPackage = kmeta::Package::create(model, rootId);
    rootPackage.getPackageImpl()->setName(table::ROOT_PACKAGE.name);
    rootPackage.getPackageImpl()->setUri(uriOf(table::ROOT_PACKAGE));

    instantiate_arvex(&registry);
    instantiate_arvex_utilities(&registry);
    weave_arvex(&registry, &serializers);
    weave_arvex_utilities(&registry, &serializers);

    // Registered inside the transaction: should either step fail, the rollback takes the tree
    // back together with what the registry kept for it, root-package entry included.
    registerRootPackage(rootPackage);
    transaction.commit();
}

void MetaPackageArvex_utilities::removeStaleRoot(korm::zero::Model const& model,
                                                 boost::uuids::uuid const& rootId) {
    // A root package left by an earlier build in this process (a library loaded again) is
    // removed first, so that the meta model never holds two packages of that identity.
    korm::zero::ModelElement const stale(
        model->findElement(rootId, korm::zero::FIND_INCLUDING_REMOVED));
    if (!stale) {
        return;
    }
    korm::zero::Transaction removal = model->beginTransaction(true);
    if (auto const* package = dynamic_cast<kmeta::Package::Impl const*>(stale.getImpl())) {
        unregisterRootPackage(package->getUri());
    }
    stale->destroy();
    removal.commit();
}

void MetaPackageArvex_utilities::instantiate_arvex(kmeta::MetaRegistry* registry) {
    std::lock_guard<std::recursive_mutex> const lock(registry->getMutex());
    korm::zero::Model::Thawer const thaw = registry->getFreezer().thaw();
    arvexPackage = createPackage(table::ARVEX_PACKAGE.name, uriOf(table::ARVEX_PACKAGE));
}

void MetaPackageArvex_utilities::instantiate_arvex_utilities(kmeta::MetaRegistry* registry) {
    std::lock_guard<std::recursive_mutex> const lock(registry->getMutex());
    korm::zero::Model::Thawer const thaw = registry->getFreezer().thaw();
    utilitiesPackage =
        createPackage(table::UTILITIES_PACKAGE.name, uriOf(table::UTILITIES_PACKAGE));
    for (table::ClassEntry const& type : table::CLASSES) {
        instantiateClass(type);
    }
}

void MetaPackageArvex_utilities::instantiateClass(table::ClassEntry const& type) {
    this->*type.handle = createClass(type.name, type.qualifiedName, false, type.uuid);
    (this->*type.handle).getClassImpl()->setDocumentation(type.documentation);
    for (table::PropertyEntry const& entry : type.properties) {
        instantiateProperty(entry);
    }
    for (table::OperationEntry const& entry : type.operations) {
        instantiateOperation(entry);
    }
}

void MetaPackageArvex_utilities::instantiateProperty(table::PropertyEntry const& entry) {
    kmeta::Property& property = this->*entry.handle;
    property = createProperty(entry.name, entry.valueFlags, entry.containment, entry.uuid);
    kmeta::Property::Impl* const record = property.getPropertyImpl();
    record->setDocumentation(entry.documentation);
    if (entry.orderedAndUnique) {
        record->setIsOrdered(true);
        record->setIsUnique(true);
    }
    if (entry.noDefault) {
        record->setDefaultValue(boost::none);
    }
    setPropertyIndex(property, entry.index);
}

void MetaPackageArvex_utilities::instantiateOperation(table::OperationEntry const& entry) {
    kmeta::Operation& operation = this->*entry.handle;
    operation = createOperation(entry.name, uuidOf(entry.uuid));
    kmeta::Operation::Impl* const record = operation.getOperationImpl();
    record->setIsAbstract(false);
    record->setIsStatic(entry.isStatic);
    record->setIsPublic(true);
    record->setIsEvent(false);
    record->setDocumentation(entry.documentation);
    record->setResultDocumentation(entry.returns);
    for (table::ArgumentEntry const& argument : entry.arguments) {
        this->*argument.handle = createArgument(argument.name, uuidOf(argument.uuid));
        (this->*argument.handle).getArgumentImpl()->setIsInput(true);
        (this->*argument.handle).getArgumentImpl()->setDocumentation(argument.documentation);
    }
}

void MetaPackageArvex_utilities::weave_arvex(kmeta::MetaRegistry* /*registry*/,
                                             kmeta::PropertySerializerRegistry* /*serializers*/) {
    arvexPackage.getPackageImpl()->setParentPackage(rootPackage);
}

void MetaPackageArvex_utilities::weave_arvex_utilities(
    kmeta::MetaRegistry* registry, kmeta::PropertySerializerRegistry* /*serializers*/) {
    // No property of this package has a serialiser of its own.
    utilitiesPackage.getPackageImpl()->setParentPackage(arvexPackage);
    for (table::ClassEntry const& type : table::CLASSES) {
        weaveClass(*registry, type);
    }
    // The package's primitive properties (UUID, Boolean) are stored through these codecs.
    registerValueCodecs();
}

kmeta::Type MetaPackageArvex_utilities::typeOf(kmeta::MetaRegistry& registry,
                                               table::TypeRef const& ref) const {
    if (ref.metaClass != nullptr) {
        return this->*ref.metaClass;
    }
    kmeta::Type type = registry.getType(ref.primitive);
    if (type.isEmpty()) {
        korm::zero::reportException(korm0::messages::InvalidValue(
            "primitive type name", u"\"" + std::u16string(ref.primitive) + u"\"",
            "no primitive type of that name is registered"));
    }
    return type;
}

void MetaPackageArvex_utilities::weaveClass(kmeta::MetaRegistry& registry,
                                            table::ClassEntry const& type) {
    kmeta::Class const& metaClass = this->*type.handle;
    metaClass.getClassImpl()->setOwningPackage(utilitiesPackage);
    metaClass.getClassImpl()->setSuperclass(registry.getModelElementClass());
    for (table::PropertyEntry const& entry : type.properties) {
        kmeta::Property::Impl* const property = (this->*entry.handle).getPropertyImpl();
        property->setOwningType(metaClass);
        property->setType(typeOf(registry, entry.type));
        if (entry.qualifiedBy != nullptr) {
            property->setQualifiedBy(this->*entry.qualifiedBy);
        }
        property->setIsQualificationUnique(entry.qualificationUnique);
    }
    for (table::OperationEntry const& entry : type.operations) {
        weaveOperation(registry, metaClass, entry);
    }
    registry.registerType(metaClass, type.collectionFactory, type.builderFactory);
    registry.registerTypeNames(metaClass, type.nativeName, type.qualifiedName, "");
}

void MetaPackageArvex_utilities::weaveOperation(kmeta::MetaRegistry& registry,
                                                kmeta::Class const& owner,
                                                table::OperationEntry const& entry) {
    kmeta::Operation const& operation = this->*entry.handle;
    kmeta::Operation::Impl* const record = operation.getOperationImpl();
    record->setOwningType(owner);
    for (table::ArgumentEntry const& argumentEntry : entry.arguments) {
        kmeta::Argument::Impl* const argument = (this->*argumentEntry.handle).getArgumentImpl();
        argument->setType(typeOf(registry, argumentEntry.type));
        argument->setOperation(operation);
        argument->setLower(1);
        argument->setUpper(1);
    }
    if (!entry.result.isVoid()) {
        record->setType(typeOf(registry, entry.result));
        record->setLower(entry.resultIsMany ? 0 : 1);
        record->setUpper(entry.resultIsMany ? kmeta::UNBOUNDED : 1);
    }
    // Static operations have none: they are called directly.
    if (entry.invoker != nullptr) {
        setInvoker(operation, entry.invoker(operation));
    }
}

}  // namespace arvex::utilities
