#pragma once

// OperationMethod: the host method of one model operation, made from the operation's binding
// (arvex/utilities/meta/operations.hpp). Its name and owning class come from the
// meta-package's table; its signature and its conversions from the bound C++ function's type:
//
//   C++ type                     host type                    conversion
//   boost::uuids::uuid           "char"                       UUID text (parseUuidText / uuidText)
//   bool (result)                "logical scalar"             one boolean
//   std::vector<uuid>            "OlanFactoryString vector"   a 1-by-n cell of UUID texts
//   std::u16string (input)       "OlanFactoryString scalar"   the host string
//   std::vector<std::u16string>  "OlanFactoryString vector"   a 1-by-n cell of strings
//   an element handle (result)   the class's qualified name   the element's host object
//
// An instance method's first input is its self object, of the owning class. Argument names
// are left empty: the host shows them only for constructors, and the meta-package's arguments
// name the inputs for those who ask.
//
// A call finds its self element (InvalidHandle when there is none), then converts every input
// in input order, so that malformed text leaves the model untouched even when an earlier input
// was valid, and only then calls the operation. Elements are held by counted handles, released
// on return and unwinding.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "arvex/utilities/meta/package_table.hpp"
#include "marshalling.hpp"
#include "olan/factory/strings.hpp"
#include "tarsk/core/text.hpp"

namespace arvex::utilities::zi {

namespace operation_method {

using meta_table::detail::IsVector;

/// The host type of a value of type T, given the name of the class an element result has.
template <class T>
std::string_view hostType(std::string_view elementClass) {
    if constexpr (std::is_void_v<T>) {
        return "void";
    } else if constexpr (std::is_same_v<T, boost::uuids::uuid>) {
        return "char";
    } else if constexpr (std::is_same_v<T, bool>) {
        return "logical scalar";
    } else if constexpr (std::is_same_v<T, std::u16string>) {
        return olan::factory::detail::StringScalarType;
    } else if constexpr (IsVector<T>::value) {
        return olan::factory::detail::StringVectorType;
    } else {
        static_assert(std::is_base_of_v<kz::ModelElement, T>, "no host type for this C++ type");
        return elementClass;
    }
}

/// A host input converted to T.
template <class T>
T fromHost(zvArray const* input) {
    if constexpr (std::is_same_v<T, boost::uuids::uuid>) {
        return uuidOfInput(input);
    } else {
        static_assert(std::is_same_v<T, std::u16string>, "no conversion from the host to T");
        return olan::factory::extractString(input);
    }
}

/// A result converted to its host value.
template <class T>
olan::Value toHost(T const& result, std::string_view elementClass) {
    if constexpr (std::is_same_v<T, boost::uuids::uuid>) {
        return uuidText(result);
    } else if constexpr (std::is_same_v<T, bool>) {
        return olan::Value(zvCreateLogical(result));
    } else if constexpr (std::is_same_v<T, std::vector<boost::uuids::uuid>>) {
        return uuidCell(result);
    } else if constexpr (std::is_same_v<T, std::vector<std::u16string>>) {
        return olan::Value(
            olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::ToM(result));
    } else {
        return bindForOutput(result.getImpl(), elementClass);
    }
}

/// The qualified name of the class a row's type names, or "" for a primitive type.
std::string classNameOf(meta_table::TypeRef const& type);

}  // namespace operation_method

/// The host method of the operation `Binding` binds.
template <class Binding>
class OperationMethod : public WrapperMethod {
    using Row = meta_table::OperationRow;
    using Result = typename Binding::Result;
    using Parameters = typename Binding::Parameters;
    static constexpr std::size_t SELF = Binding::isStatic ? 0 : 1;

  public:
    OperationMethod() : OperationMethod(meta_table::findOperation(Binding::handle)) {}

    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override {
        if constexpr (Binding::isStatic) {
            auto const call = [](auto const&... arguments) {
                return Binding::function(arguments...);
            };
            run(call, outputCount, outputs, inputCount, inputs);
        } else {
            using Handle = typename Binding::Record::Handle;
            Handle const self = selfElement<Handle>(inputCount, inputs, m_owner);
            auto const call = [record = self.getImpl()](auto const&... arguments) {
                return (record->*Binding::function)(arguments...);
            };
            run(call, outputCount, outputs, inputCount, inputs);
        }
    }

  private:
    explicit OperationMethod(Row const& row)
        : OperationMethod(row, row.owner.qualifiedName,
                          operation_method::classNameOf(row.operation.result)) {}

    OperationMethod(Row const& row, std::string owner, std::string resultClass)
        : WrapperMethod(tarsk::core::text::toUtf8Lossy(row.operation.name),
                        Binding::isStatic ? olan::factory::MethodAttributes::Static : 0, "",
                        operation_method::hostType<Result>(resultClass),
                        inputTypes(owner, std::make_index_sequence<Binding::arity>{}), 0)
        , m_owner(std::move(owner))
        , m_resultClass(std::move(resultClass)) {}

    template <std::size_t... I>
    static std::array<std::string_view, SELF + Binding::arity> inputTypes(
        std::string_view owner, std::index_sequence<I...>) {
        if constexpr (Binding::isStatic) {
            return {operation_method::hostType<std::tuple_element_t<I, Parameters>>({})...};
        } else {
            return {owner, operation_method::hostType<std::tuple_element_t<I, Parameters>>({})...};
        }
    }

    /// The inputs after self, converted in input order (braced initialisation orders them).
    template <std::size_t... I>
    static Parameters convert(int inputCount, zvArray const* const* inputs,
                              std::index_sequence<I...>) {
        return Parameters{operation_method::fromHost<std::tuple_element_t<I, Parameters>>(
            static_cast<int>(SELF + I) < inputCount ? inputs[SELF + I] : nullptr)...};
    }

    /// Converts every input, then calls; the result reaches output slot 0 when the caller
    /// takes one (so that an element is bound to a host object only then).
    template <class Call>
    void run(Call const& call, int& outputCount, olan::Value* outputs, int inputCount,
             zvArray const* const* inputs) const {
        Parameters const arguments =
            convert(inputCount, inputs, std::make_index_sequence<Binding::arity>{});
        if constexpr (std::is_void_v<Result>) {
            std::apply(call, arguments);
            outputCount = 0;
        } else {
            Result const result = std::apply(call, arguments);
            outputCount = 1;
            if (outputs != nullptr) {
                outputs[0] = operation_method::toHost(result, m_resultClass);
            }
        }
    }

    std::string m_owner;
    std::string m_resultClass;
};

}  // namespace arvex::utilities::zi
