#pragma once

// ModelsByKey: a thread-safe table of models by a key (a name, a file's path) that holds no
// reference to them; each model removes its own entries as it goes away.

#include <map>
#include <mutex>
#include <vector>

#include "korm/zero/model_impl.hpp"

namespace korm::zero::detail {

template <class Key>
class ModelsByKey {
  public:
    /// Enters `model` under `key`; false, with nothing changed, when the key is taken and
    /// `replace` is false.
    bool add(Key const& key, Model::Impl* model, bool replace) {
        std::lock_guard const lock(m_mutex);
        auto const [it, inserted] = m_models.emplace(key, model);
        if (!inserted && replace) {
            it->second = model;
        }
        return inserted || replace;
    }

    /// Removes the entry of `key` if it is `model`'s.
    void remove(Key const& key, Model::Impl const* model) noexcept {
        std::lock_guard const lock(m_mutex);
        auto const it = m_models.find(key);
        if (it != m_models.end() && it->second == model) {
            m_models.erase(it);
        }
    }

    /// The model under `key`, or an empty handle.
    Model find(Key const& key) const {
        std::lock_guard const lock(m_mutex);
        auto const it = m_models.find(key);
        // A model whose count already reached zero is being destroyed on another thread and
        // removes its entry as soon as it gets the lock.
        if (it == m_models.end() || !it->second->tryAddRef()) {
            return Model();
        }
        Model result(it->second);
        it->second->removeRef();
        return result;
    }

    /// Every key, sorted.
    std::vector<Key> keys() const {
        std::lock_guard const lock(m_mutex);
        std::vector<Key> keys;
        keys.reserve(m_models.size());
        for (auto const& entry : m_models) {
            keys.push_back(entry.first);
        }
        return keys;
    }

  private:
    mutable std::mutex m_mutex;
    std::map<Key, Model::Impl*> m_models;
};

}  // namespace korm::zero::detail
