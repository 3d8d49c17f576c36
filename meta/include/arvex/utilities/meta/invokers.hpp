#pragma once

// The reflective invokers of the library's model operations: the framework calls an operation
// by its meta object with a receiver element and one korm::zero::Value per parameter, and the
// invoker the meta-package installed for that operation unpacks the values, calls the
// operation on the receiver's record and packs the result.
//
// One template family serves every operation: InvokerImpl over the result type, the record
// class, constness and the parameter types; Invoker (operations that change the receiver) and
// ConstInvoker (queries) name the model class instead of its record. Every parameter is a
// constant reference to a UUID. The member pointer names a virtual operation of the record
// class, so a call through it dispatches to a derived record's override.
//
// A call checks everything before it changes anything: the argument count, then the receiver's
// class, then every argument's type; only then is the operation called. Results are values of
// the operation's declared type ("UUID", "Boolean", a many-valued "UUID"); a UUIDMap result is
// typed by the map's own class, or by UUIDMap's class for an empty handle.
//
// Invokers hold nothing but their operation and member pointer and change nothing in
// themselves, so several threads may call one at once.

#include <boost/optional.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/typed_values.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::meta {

template <class R, class Impl, bool IsConst, class... Args>
class InvokerImpl : public AbstractMethodInvoker {
  public:
    using Member = std::conditional_t<IsConst, R (Impl::*)(Args...) const, R (Impl::*)(Args...)>;

    InvokerImpl(Operation operation, Member member)
        : m_operation(std::move(operation)), m_member(member) {}

    boost::optional<Value> invoke(ModelElement const& receiver,
                                  std::vector<Value> const& arguments) override {
        if (arguments.size() != sizeof...(Args)) {
            reportException(
                korm0::messages::InvalidValue("argument count of operation " + operationName(),
                                              static_cast<std::int64_t>(arguments.size()),
                                              "it takes " + std::to_string(sizeof...(Args))));
        }
        auto* const record = dynamic_cast<Impl*>(receiver.getImpl());
        if (record == nullptr) {
            reportException(korm0::messages::InvalidValue(
                "receiver of operation " + operationName(), receiverText(receiver),
                "it is an operation of " + ownerName()));
        }
        ModelElement const held(record);  // keeps the receiver alive through the call
        return call(*record, arguments, std::index_sequence_for<Args...>{});
    }

  private:
    std::string operationName() const {
        return tarsk::core::text::toUtf8Lossy(m_operation.getOperationImpl()->getName());
    }
    std::string ownerName() const {
        return tarsk::core::text::toUtf8Lossy(
            qualifiedNameOf(m_operation.getOperationImpl()->getOwningType()));
    }
    static std::string receiverText(ModelElement const& receiver) {
        if (receiver.isEmpty()) {
            return "<empty handle>";
        }
        return "<element of class " +
               tarsk::core::text::toUtf8Lossy(qualifiedNameOf(receiver.getImpl()->getMetaClass())) +
               ">";
    }

    template <std::size_t... I>
    boost::optional<Value> call(Impl& record, std::vector<Value> const& arguments,
                                std::index_sequence<I...>) {
        // Braced initialisation converts the arguments in parameter order, all of them before
        // the call.
        std::tuple<std::decay_t<Args>...> const converted{
            arguments[I].template getValue<std::decay_t<Args>>()...};
        if constexpr (std::is_void_v<R>) {
            (record.*m_member)(std::get<I>(converted)...);
            return boost::none;
        } else {
            return pack((record.*m_member)(std::get<I>(converted)...));
        }
    }

    template <class T>
    Value pack(T const& result) const {
        if constexpr (std::is_base_of_v<ModelElement, T>) {
            // Typed by the element's own class (the result's class for an empty handle).
            return arvex::utilities::makeValue<T>(result, Type());
        } else {
            return arvex::utilities::makeValue<T>(result,
                                                  m_operation.getOperationImpl()->getType());
        }
    }

    Operation m_operation;
    Member m_member;
};

/// An invoker of an operation that changes its receiver, a C.
template <class R, class C, class... Args>
class Invoker : public InvokerImpl<R, typename C::Impl, false, Args...> {
  public:
    using InvokerImpl<R, typename C::Impl, false, Args...>::InvokerImpl;
};

/// An invoker of a query of a C.
template <class R, class C, class... Args>
class ConstInvoker : public InvokerImpl<R, typename C::Impl, true, Args...> {
  public:
    using InvokerImpl<R, typename C::Impl, true, Args...>::InvokerImpl;
};

namespace detail {

template <class F>
struct InvokerFor;
template <class R, class Impl, class... Args>
struct InvokerFor<R (Impl::*)(Args...)> {
    using type = Invoker<R, typename Impl::Handle, Args...>;
};
template <class R, class Impl, class... Args>
struct InvokerFor<R (Impl::*)(Args...) const> {
    using type = ConstInvoker<R, typename Impl::Handle, Args...>;
};

}  // namespace detail

/// The invoker of the operation `Binding` binds to a member function of a record (an
/// arvex::utilities::meta_table::OperationBinding).
template <class Binding>
std::unique_ptr<AbstractMethodInvoker> makeInvoker(Operation const& operation) {
    using Made =
        typename detail::InvokerFor<std::remove_const_t<decltype(Binding::function)>>::type;
    return std::make_unique<Made>(operation, Binding::function);
}

}  // namespace korm::zero::meta
