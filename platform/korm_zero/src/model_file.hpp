#pragma once

// ModelFile: what ties a model to its model file while it has one. The store stays open (it
// holds the file's writer lock, so no other process writes the file meanwhile), and the model
// notes the UUID of every element a commit, undo or redo touches, so that save() rewrites only
// those.

#include <memory>

#include "korm/zero/model_element.hpp"
#include "store/model_image.hpp"

namespace korm::zero::detail {

struct ModelFile {
    explicit ModelFile(std::unique_ptr<store::ModelStore> opened) noexcept
        : store(std::move(opened)) {}

    /// Notes `element` as to be rewritten (or removed, when it is gone by the next save).
    void note(ModelElement::Impl const& element) noexcept {
        try {
            unsaved.insert(element.getUuid());
        } catch (...) {
            complete = false;  // out of memory: the next save writes everything instead
        }
    }

    /// After a successful write: nothing is unsaved. A fresh set, because clearing keeps the
    /// buckets of a large change, which the next small save would walk again.
    void markSaved() noexcept {
        store::UuidSet().swap(unsaved);
        complete = true;
    }

    std::unique_ptr<store::ModelStore> store;
    /// The elements created, changed or destroyed since the file was last written.
    store::UuidSet unsaved;
    /// False when `unsaved` may miss an element: the next save is a full one.
    bool complete = true;
};

}  // namespace korm::zero::detail
