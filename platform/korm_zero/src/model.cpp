// The model handle, Model::create and the freeze guards.

#include <utility>

#include "korm/zero/model_impl.hpp"
#include "open_models.hpp"

namespace korm::zero {

Model Model::create(std::u16string const& name) {
    Model model(new Impl(name));
    if (!name.empty()) {
        detail::registerOpenModel(name, model.getImpl());
    }
    return model;
}

Model::Model(Impl* impl) noexcept : m_impl(impl) {
    if (m_impl != nullptr) {
        m_impl->addRef();
    }
}

Model::Model(Model const& other) noexcept : Model(other.m_impl) {}

Model::Model(Model&& other) noexcept : m_impl(std::exchange(other.m_impl, nullptr)) {}

Model& Model::operator=(Model const& other) noexcept {
    Model copy(other);
    std::swap(m_impl, copy.m_impl);
    return *this;
}

Model& Model::operator=(Model&& other) noexcept {
    Model moved(std::move(other));
    std::swap(m_impl, moved.m_impl);
    return *this;
}

Model::~Model() {
    if (m_impl != nullptr) {
        m_impl->removeRef();
    }
}

Transaction Model::beginTransaction(bool nonUndoable) const {
    return m_impl->beginTransaction(nonUndoable);
}

void Model::undo() const {
    m_impl->undo();
}

void Model::redo() const {
    m_impl->redo();
}

bool Model::canUndo() const {
    return m_impl->canUndo();
}

bool Model::canRedo() const {
    return m_impl->canRedo();
}

ModelElement Model::findElement(boost::uuids::uuid const& id) const {
    return ModelElement(m_impl->findElement(id, FIND_LIVE));
}

// ---- freezing ---------------------------------------------------------------------------

Model::Freezer::Freezer(Model model) : m_model(std::move(model)) {
    m_model->m_freezeCount.fetch_add(1, std::memory_order_acq_rel);
}

Model::Freezer::~Freezer() {
    m_model->m_freezeCount.fetch_sub(1, std::memory_order_acq_rel);
}

Model::Thawer Model::Freezer::thaw() const {
    return Thawer(m_model);
}

Model::Thawer::Thawer(Model model) : m_model(std::move(model)) {
    if (m_model) {
        m_model->m_thawCount.fetch_add(1, std::memory_order_acq_rel);
    }
}

Model::Thawer::Thawer(Thawer&& other) noexcept : m_model(std::move(other.m_model)) {}

Model::Thawer& Model::Thawer::operator=(Thawer&& other) noexcept {
    if (this != &other) {
        if (m_model) {
            m_model->m_thawCount.fetch_sub(1, std::memory_order_acq_rel);
        }
        m_model = std::move(other.m_model);
    }
    return *this;
}

Model::Thawer::~Thawer() {
    if (m_model) {
        m_model->m_thawCount.fetch_sub(1, std::memory_order_acq_rel);
    }
}

}  // namespace korm::zero
