// Model::open and Model::save, and the registry of models by file: what ties a model to its
// model file. The file format and the generic writing and reading are in src/store.

#include <filesystem>

#include "korm/zero/messages.hpp"
#include "korm/zero/model_impl.hpp"
#include "model_file.hpp"
#include "models_by_key.hpp"
#include "open_models.hpp"
#include "progress_counter.hpp"
#include "store/model_image.hpp"

namespace korm::zero {

namespace {

namespace messages = korm0::messages;

detail::ModelsByKey<std::string>& files() {
    static detail::ModelsByKey<std::string> instance;
    return instance;
}

/// The key a file is known by: its absolute path without "." or "..", with the links of its
/// existing part resolved, so that two spellings of one file give one model.
std::string canonicalPath(std::string const& path, bool writing) {
    std::error_code error;
    std::filesystem::path const canonical = std::filesystem::weakly_canonical(path, error);
    if (error || path.empty()) {
        std::string const reason = path.empty() ? "the path is empty" : error.message();
        if (writing) {
            reportException(messages::ModelFileCannotWrite(path, reason));
        }
        reportException(messages::ModelFileCannotOpen(path, reason));
    }
    return canonical.string();
}

}  // namespace

namespace detail {

Model findModelFile(std::string const& path) {
    return files().find(path);
}

void rememberModelFile(std::string const& path, Model::Impl* model) {
    files().add(path, model, true);
}

void forgetModelFile(std::string const& path, Model::Impl const* model) noexcept {
    files().remove(path, model);
}

}  // namespace detail

Model Model::open(std::string const& path) {
    return open(path, Progress());
}

Model Model::open(std::string const& path, Progress const& progress) {
    std::string const key = canonicalPath(path, false);
    if (Model already = detail::findModelFile(key)) {
        return already;
    }
    // Reading, then making each element.
    detail::ProgressCounter counter(progress, 2);
    // The store stays open with the model: it holds the file's writer lock.
    auto file = std::make_unique<detail::ModelFile>(
        store::openSqliteStore(path, store::OpenMode::EXISTING));
    store::ModelImage const image = file->store->read(counter);
    // Built unregistered: until it is complete nobody can find it, and a failure drops it.
    Model model(new Impl(image.header.modelName));
    store::loadImage(model, image, path, counter);
    counter.finish();
    if (!model->m_name.empty()) {
        detail::registerOpenModel(model->m_name, model.getImpl());
    }
    // The record takes no reference; the model forgets its file when it goes away.
    model->m_filePath = key;
    detail::rememberModelFile(key, model.getImpl());
    model->m_file = std::move(file);
    model->m_unsavedChanges = false;
    return model;
}

namespace {

// Past this share of the live elements, rewriting everything costs less than rewriting the
// changed elements one by one.
constexpr std::size_t FULL_SAVE_DIVISOR = 4;

bool mayWriteChangesOnly(Model::Impl const& model, detail::ModelFile const& file) {
    return file.complete && file.unsaved.size() <= model.getElementCount() / FULL_SAVE_DIVISOR;
}

}  // namespace

void Model::save(std::string const& path) const {
    save(path, Progress());
}

void Model::save(std::string const& path, Progress const& progress) const {
    std::string const key = canonicalPath(path, true);
    if (m_impl->isInTransaction()) {
        reportException(
            messages::ModelFileCannotWrite(path, std::string("the model has an open transaction")));
    }
    if (m_impl->m_saving) {
        reportException(
            messages::ModelFileCannotWrite(path, std::string("the model is being saved")));
    }
    if (Model const other = detail::findModelFile(key); other && other != *this) {
        reportException(messages::ModelFileCannotWrite(
            path, std::string("another open model was opened from or saved to it")));
    }
    // Building the image, then storing it. What `progress` does meanwhile cannot change the
    // model (it is frozen) nor save it again.
    detail::ProgressCounter counter(progress, 2);
    Freezer const frozen(*this);
    m_impl->m_saving = true;
    try {
        if (key == m_impl->m_filePath && m_impl->m_file) {
            saveToItsFile(path, counter);
        } else {
            saveToNewFile(path, key, counter);
        }
    } catch (...) {
        m_impl->m_saving = false;
        throw;
    }
    m_impl->m_saving = false;
    m_impl->m_unsavedChanges = false;
}

// The file stays as it was when writing fails; so does the record of what is unsaved.
void Model::saveToItsFile(std::string const& path, detail::ProgressCounter& progress) const {
    detail::ModelFile& file = *m_impl->m_file;
    if (mayWriteChangesOnly(*m_impl, file)) {
        file.store->writeChanges(store::makeChanges(*m_impl, file.unsaved, path, progress),
                                 progress);
    } else {
        file.store->writeAll(store::makeImage(*m_impl, path, progress), progress);
    }
    file.markSaved();
}

// The new file is written whole; only then does the model let go of its old file. A file
// that did not exist before is removed again when writing it fails.
void Model::saveToNewFile(std::string const& path, std::string const& key,
                          detail::ProgressCounter& progress) const {
    store::ModelImage const image = store::makeImage(*m_impl, path, progress);
    std::error_code error;
    bool const existed = std::filesystem::exists(path, error);
    auto file =
        std::make_unique<detail::ModelFile>(store::openSqliteStore(path, store::OpenMode::CREATE));
    try {
        file->store->writeAll(image, progress);
    } catch (...) {
        file.reset();
        if (!existed && !error) {
            std::filesystem::remove(path, error);
        }
        throw;
    }
    std::string newPath = key;  // copied before anything is recorded
    detail::rememberModelFile(key, m_impl);
    if (m_impl->m_filePath != key) {
        detail::forgetModelFile(m_impl->m_filePath, m_impl);
    }
    m_impl->m_filePath.swap(newPath);
    m_impl->m_file = std::move(file);
}

bool Model::hasUnsavedChanges() const {
    return m_impl->hasUnsavedChanges();
}

void Model::save() const {
    save(Progress());
}

void Model::save(Progress const& progress) const {
    if (m_impl->m_filePath.empty()) {
        reportException(messages::ModelHasNoFile(m_impl->m_name));
    }
    save(m_impl->m_filePath, progress);
}

}  // namespace korm::zero
