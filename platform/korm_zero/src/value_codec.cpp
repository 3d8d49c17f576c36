// The registry of value codecs.

#include "korm/zero/value_codec.hpp"

#include <map>
#include <mutex>

namespace korm::zero {

ValueCodec::~ValueCodec() = default;

struct ValueCodecRegistry::State {
    mutable std::mutex mutex;
    // Keyed by the type's record: type handles compare by record identity.
    std::map<ModelElement::Impl const*, std::shared_ptr<ValueCodec const>> codecs;
};

ValueCodecRegistry::ValueCodecRegistry() : m_state(std::make_unique<State>()) {}

ValueCodecRegistry::~ValueCodecRegistry() = default;

ValueCodecRegistry& ValueCodecRegistry::getInstance() {
    static ValueCodecRegistry instance;
    return instance;
}

void ValueCodecRegistry::registerCodec(meta::Type const& type,
                                       std::shared_ptr<ValueCodec const> codec) {
    std::lock_guard const lock(m_state->mutex);
    if (codec) {
        m_state->codecs[type.getImpl()] = std::move(codec);
    } else {
        m_state->codecs.erase(type.getImpl());
    }
}

std::shared_ptr<ValueCodec const> ValueCodecRegistry::getCodec(meta::Type const& type) const {
    std::lock_guard const lock(m_state->mutex);
    auto const it = m_state->codecs.find(type.getImpl());
    return it == m_state->codecs.end() ? nullptr : it->second;
}

}  // namespace korm::zero
