#pragma once

// OperationBinding: ties one model operation's meta object (a handle member of the
// meta-package) to the C++ function that carries it out, and tells what the function's type
// says about the operation: whether it is static, its record class, its result and parameter
// types. The meta-package's table checks its rows against it at compile time, the reflective
// invoker and the host method of the operation are made from it.

#include <cstddef>
#include <tuple>
#include <type_traits>

#include "arvex/utilities/meta/meta_package.hpp"

namespace arvex::utilities::meta_table {

/// What a function type says about an operation: a member function of a record (const for a
/// query) or a static function of a class.
template <class F>
struct FunctionTraits;

template <class R, class C, class... A>
struct FunctionTraits<R (C::*)(A...)> {
    static constexpr bool isStatic = false;
    static constexpr bool isConst = false;
    using Result = R;
    using Record = C;
    using Parameters = std::tuple<std::decay_t<A>...>;
};

template <class R, class C, class... A>
struct FunctionTraits<R (C::*)(A...) const> : FunctionTraits<R (C::*)(A...)> {
    static constexpr bool isConst = true;
};

template <class R, class... A>
struct FunctionTraits<R (*)(A...)> {
    static constexpr bool isStatic = true;
    static constexpr bool isConst = false;
    using Result = R;
    using Record = void;
    using Parameters = std::tuple<std::decay_t<A>...>;
};

/// One operation: `Handle`, the meta-package member that holds its meta object, and
/// `Function`, a member function of the owning class's record or a static function.
template <korm::zero::meta::Operation MetaPackageArvex_utilities::*Handle, auto Function>
struct OperationBinding : FunctionTraits<decltype(Function)> {
    static constexpr auto handle = Handle;
    static constexpr auto function = Function;
    static constexpr std::size_t arity =
        std::tuple_size_v<typename FunctionTraits<decltype(Function)>::Parameters>;
};

}  // namespace arvex::utilities::meta_table
