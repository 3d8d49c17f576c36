#include "korm/zero/reflection.hpp"

#include <atomic>

namespace korm::zero {

namespace {
std::atomic<InvokeHandler> g_invokeHandler{nullptr};
}  // namespace

void setInvokeHandler(InvokeHandler handler) noexcept {
    g_invokeHandler.store(handler, std::memory_order_release);
}

InvokeHandler getInvokeHandler() noexcept {
    return g_invokeHandler.load(std::memory_order_acquire);
}

}  // namespace korm::zero
