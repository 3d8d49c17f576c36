// Registration of the packages "korm.zero" and "korm.zero.meta" with the host class system.

#include <mutex>
#include <optional>

#include "internal.hpp"
#include "korm/zero/zi/zi.hpp"
#include "olan/errors.hpp"
#include "tarsk/core/except/message.hpp"

namespace korm::zero::zi {

namespace {

// "korm.zero": the element base class, the model class and the collection views.
class ZeroPackage final : public EmptyParentPackage {
  public:
    ZeroPackage() : EmptyParentPackage("zero", "korm") {}
    void initializePackage(olan::COSPackage* package) override {
        package->addClass(internal::createModelElementClass(), olan::ClassDefineOnFirstUse);
        package->addClass(internal::createModelClass(), olan::ClassDefineOnFirstUse);
        package->addClass(internal::createSetViewClass(), olan::ClassDefineOnFirstUse);
        package->addClass(internal::createSequenceViewClass(), olan::ClassDefineOnFirstUse);
        package->addClass(internal::createMapViewClass(), olan::ClassDefineOnFirstUse);
        package->addClass(internal::createMultimapViewClass(), olan::ClassDefineOnFirstUse);
    }
};

// "korm.zero.meta": the meta-class class.
class ZeroMetaPackage final : public EmptyParentPackage {
  public:
    ZeroMetaPackage() : EmptyParentPackage("meta", PackageName) {}
    void initializePackage(olan::COSPackage* package) override {
        package->addClass(internal::createMetaClassClass(), olan::ClassDefineOnFirstUse);
    }
};

// The framework's messages reach the host with their message id.
std::optional<std::string> messageId(std::exception const& e) {
    if (auto const* message = dynamic_cast<tarsk::core::except::Message const*>(&e)) {
        return message->getId();
    }
    return std::nullopt;
}

void registerAll() {
    static std::once_flag identifierOnce;
    std::call_once(identifierOnce, [] { olan::host::addErrorIdentifier(&messageId); });
    (new ZeroPackage)->registerPackage();
    (new ZeroMetaPackage)->registerPackage();
}

std::once_flag g_registered;

}  // namespace

void initialize() {
    if (omGetOlanUsingUSM()) {
        registerAll();
        return;
    }
    std::call_once(g_registered, &registerAll);
}

}  // namespace korm::zero::zi
