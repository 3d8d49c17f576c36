#pragma once

// Proxies: elements that stand for an element which is not at hand (in this model under a
// UUID, or in another model), and the process-wide registry of open models through which
// proxies into other models are resolved.

#include <boost/optional.hpp>
#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"

namespace korm::zero {

/// What a proxy stands for: the target element's UUID as text, the UUID text of the target's
/// class (empty when unknown) and, for a target in another model, that model's name. Equality
/// compares all three parts; an absent model name equals only an absent one.
class KORM_ZERO_EXPORT ProxyId {
  public:
    ProxyId() = default;
    ProxyId(std::u16string elementId, std::u16string classId,
            boost::optional<std::u16string> modelName = boost::none);
    /// The id of `element` with class UUID `classId` (nil: unknown), optionally in a named
    /// model.
    static ProxyId forElement(boost::uuids::uuid const& element, boost::uuids::uuid const& classId,
                              boost::optional<std::u16string> modelName = boost::none);

    std::u16string const& getElementId() const noexcept { return m_elementId; }
    std::u16string const& getClassId() const noexcept { return m_classId; }
    boost::optional<std::u16string> const& getModelName() const noexcept { return m_modelName; }
    /// True when the target lies in another model (the third part is present).
    bool isCrossModel() const noexcept { return m_modelName.has_value(); }
    /// The target's UUID, or none when the first part is not a UUID text.
    boost::optional<boost::uuids::uuid> getTargetUuid() const;

    friend bool operator==(ProxyId const& a, ProxyId const& b) noexcept {
        return a.m_elementId == b.m_elementId && a.m_classId == b.m_classId &&
               a.m_modelName == b.m_modelName;
    }
    std::size_t hash() const noexcept;

  private:
    std::u16string m_elementId;
    std::u16string m_classId;
    boost::optional<std::u16string> m_modelName;
};

struct ProxyIdHash {
    std::size_t operator()(ProxyId const& id) const noexcept { return id.hash(); }
};

/// A new proxy of element class Handle (a generated handle class with a nested Impl
/// constructible from (Model const&, uuid const&)) in `model`, standing for `id`. The proxy
/// gets a fresh UUID of its own; it is valid, outside the model's index and not recorded by
/// transactions.
template <class Handle>
Handle createProxy(Model const& model, ProxyId id) {
    auto* record = new typename Handle::Impl(model, boost::uuids::nil_uuid());
    Handle handle(record);
    record->announceAsProxy(std::move(id));
    return handle;
}

/// A new proxy of class `metaClass` in `model`, standing for `id`, for callers that know the
/// class only by its class object (loading a model, resolving a reference by reflection).
/// The element is made by the builder the meta registry's builder factory gives for the class
/// (Builder::createUnannounced, with a fresh UUID of its own) and then announced as a proxy,
/// so it is what createProxy<Handle> makes: valid, outside the model's index and not recorded
/// by transactions. An empty model reports CannotCreateWithoutModel; a class without builder
/// factory (or an empty class handle) reports NoBuilderForClass.
KORM_ZERO_EXPORT ModelElement createProxy(Model const& model, meta::Class const& metaClass,
                                          ProxyId id);

/// The process-wide registry of open models by name. A model created with a name is open
/// under it until it goes away. Thread-safe.
class KORM_ZERO_EXPORT OpenModels {
  public:
    /// Opens a model that is not open yet, given its name; may return an empty handle.
    using Opener = std::function<Model(std::u16string const& name)>;

    /// The open model of that name, or an empty handle.
    static Model find(std::u16string const& name);
    /// The names of all open models, sorted.
    static std::vector<std::u16string> getNames();
    /// Installs the opener that Model::Impl::resolveProxy asks for a model that is not open,
    /// before it looks for the model's file (an empty function removes it). The model it
    /// gives is kept open by the referring model. peekResolveProxy never asks it.
    static void setOpener(Opener opener);
    static Opener getOpener();
};

}  // namespace korm::zero
