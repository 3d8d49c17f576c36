// ProxyId and the registry of open models.

#include "korm/zero/proxy.hpp"

#include <algorithm>
#include <boost/uuid/uuid_io.hpp>
#include <map>
#include <mutex>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/uuid_text.hpp"
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
    std::mutex mutex;
    std::map<std::u16string, Model::Impl*> models;
    OpenModels::Opener opener;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

namespace detail {

void registerOpenModel(std::u16string const& name, Model::Impl* model) {
    auto& r = registry();
    std::lock_guard const lock(r.mutex);
    auto const [it, inserted] = r.models.emplace(name, model);
    if (!inserted) {
        reportException(korm0::messages::UniquenessConstraint(name));
    }
}

void unregisterOpenModel(std::u16string const& name, Model::Impl const* model) noexcept {
    auto& r = registry();
    std::lock_guard const lock(r.mutex);
    auto const it = r.models.find(name);
    if (it != r.models.end() && it->second == model) {
        r.models.erase(it);
    }
}

}  // namespace detail

Model OpenModels::find(std::u16string const& name) {
    auto& r = registry();
    std::lock_guard const lock(r.mutex);
    auto const it = r.models.find(name);
    // A model whose count already reached zero is being destroyed on another thread and
    // unregisters itself as soon as it gets the lock.
    if (it == r.models.end() || !it->second->tryAddRef()) {
        return Model();
    }
    Model result(it->second);
    it->second->removeRef();
    return result;
}

std::vector<std::u16string> OpenModels::getNames() {
    auto& r = registry();
    std::lock_guard const lock(r.mutex);
    std::vector<std::u16string> names;
    names.reserve(r.models.size());
    for (auto const& entry : r.models) {
        names.push_back(entry.first);
    }
    return names;
}

void OpenModels::setOpener(Opener opener) {
    auto& r = registry();
    std::lock_guard const lock(r.mutex);
    r.opener = std::move(opener);
}

OpenModels::Opener OpenModels::getOpener() {
    auto& r = registry();
    std::lock_guard const lock(r.mutex);
    return r.opener;
}

}  // namespace korm::zero
