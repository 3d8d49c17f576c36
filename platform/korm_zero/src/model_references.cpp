// Resolving proxies: in the model itself, in the open models, through the OpenModels opener
// and through model files; and what a model remembers of it (ModelReferences).

#include "model_references.hpp"

#include <algorithm>
#include <new>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/model_files.hpp"
#include "korm/zero/uuid_text.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::detail {

namespace {

namespace messages = korm0::messages;
using tarsk::core::except::Message;

/// A failure of the file search or of opening the file found, with its message (made there:
/// it costs little beside the file system).
template <class M, class... A>
ResolutionFailure fileFailure(UnresolvedReason reason, A&&... args) {
    ResolutionFailure failure{reason};
    failure.message = std::make_shared<M const>(std::forward<A>(args)...);
    return failure;
}

bool failed(ResolutionFailure const& outcome) noexcept {
    return outcome.reason != UnresolvedReason::NOT_TRIED;
}

/// The class `id` names into `expected` (left empty when it names none).
ResolutionFailure findExpectedClass(ProxyId const& id, meta::Class& expected) {
    if (id.getClassId().empty()) {
        return {};
    }
    if (auto const classId = parseUuidText(std::u16string_view(id.getClassId()))) {
        ModelElement const record =
            meta::MetaRegistry::getInstance().getMetaModel().findElement(*classId);
        if (meta::asClassImpl(record) != nullptr) {
            expected = meta::Class(record.getImpl());
            return {};
        }
    }
    return {UnresolvedReason::CLASS_NOT_REGISTERED};
}

std::string searchPathText() {
    std::string text;
    for (std::string const& directory : ModelFiles::getSearchPath()) {
        text += (text.empty() ? "" : ", ") + directory;
    }
    return text.empty() ? std::string("empty") : text;
}

}  // namespace

ModelReferences& ModelReferences::of(Model::Impl const& model) {
    if (!model.m_references) {
        model.m_references = std::make_unique<ModelReferences>();
    }
    return *model.m_references;
}

ModelElement::Impl* ModelReferences::resolve(Model::Impl const& model, ProxyId const& id,
                                             bool mayOpen) {
    ModelElement::Impl* found = nullptr;
    ResolutionFailure outcome = tryResolve(model, id, mayOpen, found);
    if (mayOpen && failed(outcome)) {
        of(model).remember(id, std::move(outcome));
    } else if (mayOpen && model.m_references) {
        model.m_references->m_failures.erase(id);
    }
    return found;
}

ResolutionFailure const* ModelReferences::findFailure(Model::Impl const& model, ProxyId const& id) {
    ModelReferences const* const references = model.m_references.get();
    if (references == nullptr) {
        return nullptr;
    }
    auto const it = references->m_failures.find(id);
    return it == references->m_failures.end() ? nullptr : &it->second;
}

void ModelReferences::forgetFailedSearches(Model::Impl const& model) noexcept {
    if (model.m_references) {
        model.m_references->m_failedSearches.clear();
    }
}

std::shared_ptr<Message const> ModelReferences::describe(Model::Impl const& model,
                                                         ProxyId const& id,
                                                         ResolutionFailure const& failure) {
    std::u16string const& home = id.isCrossModel() ? *id.getModelName() : model.getName();
    switch (failure.reason) {
        case UnresolvedReason::ELEMENT_NOT_FOUND:
            return std::make_shared<messages::ReferencedElementNotFound>(home, id.getElementId());
        case UnresolvedReason::CLASS_NOT_REGISTERED:
            return std::make_shared<messages::ReferencedClassNotRegistered>(id.getElementId(),
                                                                            id.getClassId());
        case UnresolvedReason::CLASS_MISMATCH: {
            meta::Class expected;
            findExpectedClass(id, expected);
            auto const name = [](meta::Class const& c) {
                return c.isEmpty() ? std::u16string(u"(none)") : meta::qualifiedNameOf(c);
            };
            return std::make_shared<messages::ReferencedClassMismatch>(
                id.getElementId(), home, name(failure.actual), name(expected));
        }
        default:
            return failure.message;
    }
}

void ModelReferences::keep(Model const& opened) {
    // An opener may give a model under another name, which is then asked for again.
    if (std::find(m_opened.begin(), m_opened.end(), opened) == m_opened.end()) {
        m_opened.push_back(opened);
    }
}

void ModelReferences::remember(ProxyId const& id, ResolutionFailure failure) {
    m_failures.insert_or_assign(id, std::move(failure));
}

ResolutionFailure ModelReferences::tryResolve(Model::Impl const& model, ProxyId const& id,
                                              bool mayOpen, ModelElement::Impl*& found) {
    meta::Class expected;
    if (ResolutionFailure outcome = findExpectedClass(id, expected); failed(outcome)) {
        return outcome;
    }
    Model other;
    Model::Impl const* home = &model;
    if (id.isCrossModel() && *id.getModelName() != model.getName()) {
        if (ResolutionFailure outcome = findModel(model, *id.getModelName(), mayOpen, other);
            failed(outcome)) {
            return outcome;
        }
        home = other.getImpl();
    }
    auto const target = id.getTargetUuid();
    ModelElement::Impl* const element = target ? home->findElement(*target, FIND_LIVE) : nullptr;
    if (element == nullptr) {
        return {UnresolvedReason::ELEMENT_NOT_FOUND};
    }
    if (!expected.isEmpty()) {
        meta::Class actual = element->getMetaClass();
        if (actual.isEmpty() || !actual.getClassImpl()->conformsTo(expected)) {
            return {UnresolvedReason::CLASS_MISMATCH, std::move(actual)};
        }
    }
    found = element;
    return {};
}

ResolutionFailure ModelReferences::findModel(Model::Impl const& model, std::u16string const& name,
                                             bool mayOpen, Model& found) {
    found = OpenModels::find(name);
    if (found) {
        return {};
    }
    if (!mayOpen) {
        return {UnresolvedReason::MODEL_NOT_FOUND};
    }
    if (auto const opener = OpenModels::getOpener()) {
        found = opener(name);
    }
    if (!found) {
        return openModelFile(model, name, found);
    }
    of(model).keep(found);
    return {};
}

ResolutionFailure ModelReferences::openModelFile(Model::Impl const& model,
                                                 std::u16string const& name, Model& found) {
    ModelReferences& references = of(model);
    std::uint64_t const version = searchPathVersion();
    auto const known = references.m_failedSearches.find(name);
    if (known != references.m_failedSearches.end() && known->second.searchPathVersion == version &&
        known->second.referringFile == model.getFilePath()) {
        return known->second.failure;
    }
    ResolutionFailure outcome;
    boost::optional<std::string> path;
    try {
        path = ModelFiles::findFile(name, model.getFilePath());
        if (!path) {
            outcome = fileFailure<messages::ReferencedModelNotFound>(
                UnresolvedReason::MODEL_NOT_FOUND, name, ModelFiles::fileNameFor(name),
                searchPathText());
        }
    } catch (Message const& notAName) {
        outcome = {UnresolvedReason::MODEL_NOT_FOUND};
        outcome.message = std::make_shared<Message const>(notAName);
    }
    if (failed(outcome)) {
        references.m_failedSearches.insert_or_assign(
            name, FailedSearch{version, model.getFilePath(), outcome});
        return outcome;
    }
    try {
        found = Model::open(*path);
    } catch (Message const& refusal) {
        return fileFailure<messages::ReferencedModelFileUnusable>(
            UnresolvedReason::MODEL_FILE_UNUSABLE, *path, name, refusal.getText());
    } catch (std::bad_alloc const&) {
        throw;
    } catch (std::exception const& error) {
        return fileFailure<messages::ReferencedModelFileUnusable>(
            UnresolvedReason::MODEL_FILE_UNUSABLE, *path, name, std::string(error.what()));
    }
    if (found->getName() != name) {
        std::u16string const other = found->getName();
        found = Model();
        return fileFailure<messages::ReferencedModelFileUnusable>(
            UnresolvedReason::MODEL_FILE_UNUSABLE, *path, name,
            "it holds model \"" + tarsk::core::text::toUtf8Lossy(other) + "\".");
    }
    references.keep(found);
    return {};
}

}  // namespace korm::zero::detail
