#pragma once

// The hook through which ModelElement::Impl::invoke reaches reflective invokers. The element
// layer does not depend on the meta model; the meta registry installs its handler when it is
// created.

#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

using InvokeHandler = Value (*)(ModelElement::Impl& target, meta::Operation const& operation,
                                std::vector<Value> const& arguments);

/// Installs the handler (null removes it). Without one, invoke reports CannotInvokeOperation.
KORM_ZERO_EXPORT void setInvokeHandler(InvokeHandler handler) noexcept;
KORM_ZERO_EXPORT InvokeHandler getInvokeHandler() noexcept;

}  // namespace korm::zero
