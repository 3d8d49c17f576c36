// ProxyId and the registry of open models.

#include "korm/zero/proxy.hpp"

#include <algorithm>
#include <boost/uuid/uuid_io.hpp>
#include <mutex>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/uuid_text.hpp"
#include "models_by_key.hpp"
#include "open_models.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero {

ProxyId::ProxyId(std::u16string elementId, std::u16string classId,
                 boost::optional<std::u16string> modelName)
    : m_elementId(std::move(elementId))
    , m_classId(std::move(classId))
    , m_modelName(std::move(modelName)) {}

ProxyId ProxyId::forElement(boost::uuids::uuid const& element, boost::uuids::uuid const& classId,
                            boost::optional<std::u16string> modelName) {
    return ProxyId(uuidText16(element), classId.is_nil() ? std::u16string() : uuidText16(classId),
                   std::move(modelName));
}

boost::optional<boost::uuids::uuid> ProxyId::getTargetUuid() const {
    // Only the canonical 36-character form is accepted (either case).
    if (auto const id = parseUuidText(std::u16string_view(m_elementId))) {
        return *id;
    }
    return boost::none;
}

std::size_t ProxyId::hash() const noexcept {
    std::hash<std::u16string> const h;
    std::size_t seed = h(m_elementId);
    seed ^= h(m_classId) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    seed ^=
        (m_modelName ? h(*m_modelName) + 1 : 0) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    return seed;
}

// ---- proxies of a class known by its class object ---------------------------------------

ModelElement createProxy(Model const& model, meta::Class const& metaClass, ProxyId id) {
    if (!model) {
        reportException(korm0::messages::CannotCreateWithoutModel());
    }
    std::unique_ptr<ModelElement::Builder> builder =
        metaClass.isEmpty() ? nullptr
                            : meta::MetaRegistry::getInstance().createBuilder(metaClass, model);
    if (!builder) {
        reportException(korm0::messages::NoBuilderForClass(meta::qualifiedNameOf(metaClass)));
    }
    builder->setModel(model);
    ModelElement element = builder->createUnannounced(boost::uuids::nil_uuid());
    if (element.isEmpty()) {
        reportException(korm0::messages::NoBuilderForClass(meta::qualifiedNameOf(metaClass)));
    }
    element->announceAsProxy(std::move(id));
    return element;
}

// ---- open models ------------------------------------------------------------------------

namespace {

struct Registry {
    detail::ModelsByKey<std::u16string> models;
    std::mutex openerMutex;
    OpenModels::Opener opener;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

namespace detail {

void registerOpenModel(std::u16string const& name, Model::Impl* model) {
    if (!registry().models.add(name, model, false)) {
        reportException(korm0::messages::UniquenessConstraint(name));
    }
}

void unregisterOpenModel(std::u16string const& name, Model::Impl const* model) noexcept {
    registry().models.remove(name, model);
}

}  // namespace detail

Model OpenModels::find(std::u16string const& name) {
    return registry().models.find(name);
}

std::vector<std::u16string> OpenModels::getNames() {
    return registry().models.keys();
}

void OpenModels::setOpener(Opener opener) {
    auto& r = registry();
    std::lock_guard const lock(r.openerMutex);
    r.opener = std::move(opener);
}

OpenModels::Opener OpenModels::getOpener() {
    auto& r = registry();
    std::lock_guard const lock(r.openerMutex);
    return r.opener;
}

}  // namespace korm::zero
