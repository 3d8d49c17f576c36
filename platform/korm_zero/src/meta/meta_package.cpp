// AbstractMetaPackage: creation of meta objects in the registry's meta model, and the
// test-only failure hook that counts those creations.

#include "korm/zero/meta/meta_package.hpp"

#include <atomic>

#include "internal.hpp"
#include "korm/zero/element_impl.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/uuid_text.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::meta {

namespace {

// Creations left before the armed failure; 0: none armed.
std::atomic<int> g_failureCountdown{0};

boost::uuids::uuid parseUuid(std::string const& text) {
    if (auto const id = parseUuidText(text)) {
        return *id;
    }
    reportException(korm0::messages::InvalidValue("UUID text of a meta object", "\"" + text + "\"",
                                                  korm0::messages::UUID_TEXT_FORM));
}

Model const& metaModel() {
    return MetaRegistry::getInstance().getMetaModel();
}

}  // namespace

namespace testing {

InjectedFailure::InjectedFailure()
    : std::runtime_error("injected failure of a meta-object creation") {}

void armFailure(int n) noexcept {
    g_failureCountdown.store(n > 0 ? n : 0, std::memory_order_release);
}

void disarmFailure() noexcept {
    g_failureCountdown.store(0, std::memory_order_release);
}

}  // namespace testing

namespace detail {

void beforeCreation() {
    int left = g_failureCountdown.load(std::memory_order_acquire);
    while (left > 0) {
        if (g_failureCountdown.compare_exchange_weak(left, left - 1, std::memory_order_acq_rel)) {
            if (left == 1) {
                throw testing::InjectedFailure();
            }
            return;
        }
    }
}

}  // namespace detail

AbstractMetaPackage::~AbstractMetaPackage() = default;

Package AbstractMetaPackage::createPackage(std::u16string const& name, std::u16string const& uri) {
    detail::beforeCreation();
    Model const& model = metaModel();
    Transaction transaction = model->beginTransaction(true);
    Package const package(
        detail::createRecord<Package::Impl>(model, ElementImpl::generateNewUuid(), name).getImpl());
    package.getPackageImpl()->setUri(uri);
    transaction.commit();
    return package;
}

Class AbstractMetaPackage::createClass(std::u16string const& name, std::string const& qualifiedName,
                                       bool isAbstract, std::string const& uuidText) {
    boost::uuids::uuid const id = parseUuid(uuidText);
    detail::beforeCreation();
    Model const& model = metaModel();
    Transaction transaction = model->beginTransaction(true);
    Class const type(detail::createRecord<Class::Impl>(model, id, name).getImpl());
    type.getClassImpl()->setQualifiedName8(qualifiedName);
    type.getClassImpl()->setIsAbstract(isAbstract);
    transaction.commit();
    return type;
}

Property AbstractMetaPackage::createProperty(std::u16string const& name, ValueFlags flags,
                                             bool containment, std::string const& uuidText) {
    boost::uuids::uuid const id = parseUuid(uuidText);
    detail::beforeCreation();
    Model const& model = metaModel();
    Transaction transaction = model->beginTransaction(true);
    Property const property(detail::createRecord<Property::Impl>(model, id, name).getImpl());
    Property::Impl* const record = property.getPropertyImpl();
    record->setValueFlags(flags);
    record->setIsContainment(containment);
    // A contained element lives in its container's model.
    record->setForbidsCrossModelReferences(containment);
    transaction.commit();
    return property;
}

Operation AbstractMetaPackage::createOperation(std::u16string const& name,
                                               boost::uuids::uuid const& id) {
    detail::beforeCreation();
    return Operation(detail::createRecord<Operation::Impl>(metaModel(), id, name).getImpl());
}

Argument AbstractMetaPackage::createArgument(std::u16string const& name,
                                             boost::uuids::uuid const& id) {
    detail::beforeCreation();
    return Argument(detail::createRecord<Argument::Impl>(metaModel(), id, name).getImpl());
}

void AbstractMetaPackage::setPropertyIndex(Property const& property, int index) {
    if (property.isEmpty()) {
        reportException(korm0::messages::InvalidValue("property given an index", "<empty handle>",
                                                      "an index is set on a property"));
    }
    if (index < 0) {
        reportException(korm0::messages::InvalidValue(
            "index of property " +
                tarsk::core::text::toUtf8Lossy(property.getPropertyImpl()->getName()),
            std::int64_t{index}, "indices start at 0"));
    }
    property.getPropertyImpl()->setIndex(static_cast<std::size_t>(index));
}

void AbstractMetaPackage::registerRootPackage(Package const& package) {
    MetaRegistry::getInstance().registerRootPackage(package);
}

void AbstractMetaPackage::unregisterRootPackage(std::u16string const& uri) {
    MetaRegistry::getInstance().unregisterRootPackage(uri);
}

void AbstractMetaPackage::setInvoker(Operation const& operation,
                                     std::unique_ptr<AbstractMethodInvoker> invoker) {
    MetaRegistry::getInstance().setInvoker(operation, std::move(invoker));
}

}  // namespace korm::zero::meta
