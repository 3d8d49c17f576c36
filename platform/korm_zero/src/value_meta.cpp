// The parts of ValueMeta that read the meta model.

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

ValueMeta::ValueMeta(meta::Property const& property) : m_property(property) {
    if (property.isEmpty()) {
        return;
    }
    meta::Property::Impl const* const record = property.getPropertyImpl();
    m_type = record->getType();
    m_kind = record->isMany() ? KIND_MANY : KIND_SINGLE;
    if (meta::Property const qualifier = record->getQualifiedBy(); !qualifier.isEmpty()) {
        m_secondType = qualifier.getPropertyImpl()->getType();
    }
}

void ValueMeta::reportIncompatible() const {
    reportException(korm0::messages::CannotCastIncompatibleTypes(meta::qualifiedNameOf(m_type)));
}

}  // namespace korm::zero
