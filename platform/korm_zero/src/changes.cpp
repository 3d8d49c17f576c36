#include "korm/zero/changes.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "korm/zero/model_impl.hpp"

namespace korm::zero {

namespace {

constexpr std::size_t INLINE_BITS = 64;

std::size_t extraWords(std::size_t bitCount) {
    return bitCount > INLINE_BITS ? (bitCount - INLINE_BITS + 63) / 64 : 0;
}

}  // namespace

ModelElement::Impl::Changes::Changes(boost::uuids::uuid const& id, Model const& model,
                                     meta::Class const& metaClass, std::size_t bitCount)
    : m_uuid(id)
    , m_model(model.getImpl())
    , m_metaClass(metaClass)
    , m_bitCount(std::max(bitCount, INLINE_BITS)) {
    if (auto const words = extraWords(m_bitCount); words > 0) {
        m_moreBits = std::make_unique<std::uint64_t[]>(words);
    }
}

ModelElement::Impl::Changes::~Changes() = default;

Model ModelElement::Impl::Changes::getModel() const {
    return Model(m_model);
}

bool ModelElement::Impl::Changes::isChanged(std::size_t index) const noexcept {
    if (index < INLINE_BITS) {
        return (m_bits >> index) & 1U;
    }
    if (index >= m_bitCount) {
        return false;
    }
    auto const bit = index - INLINE_BITS;
    return (m_moreBits[bit / 64] >> (bit % 64)) & 1U;
}

void ModelElement::Impl::Changes::setChanged(std::size_t index) {
    if (index < INLINE_BITS) {
        m_bits |= std::uint64_t{1} << index;
        return;
    }
    if (index >= m_bitCount) {
        auto const newCount = std::max(index + 1, m_bitCount * 2);
        auto grown = std::make_unique<std::uint64_t[]>(extraWords(newCount));
        if (m_moreBits) {
            std::memcpy(grown.get(), m_moreBits.get(),
                        extraWords(m_bitCount) * sizeof(std::uint64_t));
        }
        m_moreBits = std::move(grown);
        m_bitCount = newCount;
    }
    auto const bit = index - INLINE_BITS;
    m_moreBits[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

void ModelElement::Impl::Changes::clearChanged(std::size_t index) noexcept {
    if (index < INLINE_BITS) {
        m_bits &= ~(std::uint64_t{1} << index);
    } else if (index < m_bitCount) {
        auto const bit = index - INLINE_BITS;
        m_moreBits[bit / 64] &= ~(std::uint64_t{1} << (bit % 64));
    }
}

bool ModelElement::Impl::Changes::anyChanged() const noexcept {
    if (m_bits != 0) {
        return true;
    }
    auto const words = extraWords(m_bitCount);
    for (std::size_t w = 0; w < words; ++w) {
        if (m_moreBits[w] != 0) {
            return true;
        }
    }
    return false;
}

std::size_t ModelElement::Impl::Changes::nextChanged(std::size_t from) const noexcept {
    if (from < INLINE_BITS) {
        std::uint64_t const rest = m_bits & (~std::uint64_t{0} << from);
        if (rest != 0) {
            return static_cast<std::size_t>(std::countr_zero(rest));
        }
        from = INLINE_BITS;
    }
    for (std::size_t index = from; index < m_bitCount; ++index) {
        if (isChanged(index)) {
            return index;
        }
    }
    return ModelElement::Impl::NO_INDEX;
}

void ModelElement::Impl::Changes::setChangedFrom(Changes const& other) {
    m_bits |= other.m_bits;
    for (std::size_t i = INLINE_BITS; i < other.m_bitCount; ++i) {
        if (other.isChanged(i)) {
            setChanged(i);
        }
    }
}

void ModelElement::Impl::Changes::clearChangedFrom(Changes const& other) noexcept {
    m_bits &= ~other.m_bits;
    for (std::size_t i = INLINE_BITS; i < std::min(m_bitCount, other.m_bitCount); ++i) {
        if (other.isChanged(i)) {
            clearChanged(i);
        }
    }
}

// ---- Storage ----------------------------------------------------------------------------

ModelElement::Impl::Storage::Storage(boost::uuids::uuid const& id, Model const& model,
                                     meta::Class const& metaClass, std::size_t bitCount)
    : Changes(id, model, metaClass, bitCount) {}

ModelElement::Impl::Storage::~Storage() = default;

void ModelElement::Impl::Storage::setOldContainer(ModelElement::Impl* container,
                                                  meta::Property const& property,
                                                  std::size_t index) {
    m_oldContainer = ModelElement(container);
    m_oldContainmentFeature = property;
    m_oldContainmentIndex = index;
}

void ModelElement::Impl::Storage::revertUnchanged(ModelElement::Impl const& record) {
    if (isChanged(0) && record.basicContainer() == m_oldContainer.getImpl() &&
        record.m_containmentFeature == m_oldContainmentFeature &&
        record.containmentIndex() == m_oldContainmentIndex) {
        clearChanged(0);
    }
}

Value ModelElement::Impl::Storage::getOldValue(meta::Property const& /*property*/,
                                               AccessTag /*tag*/) const {
    return Value();
}

meta::Property ModelElement::Impl::Storage::getOldContainmentFeature() const {
    return meta::Property(m_oldContainmentFeature.getImpl());
}

}  // namespace korm::zero
