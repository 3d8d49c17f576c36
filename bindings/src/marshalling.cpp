// Argument and result conversions shared by the method wrappers and property accessors.

#include "marshalling.hpp"

#include <boost/lexical_cast/bad_lexical_cast.hpp>
#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <string>
#include <typeinfo>
#include <utility>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/struct_builder.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "olan/errors.hpp"
#include "olan/factory/binding_registry.hpp"
#include "olan/factory/strings.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/except/message.hpp"
#include "tarsk/core/text.hpp"

// The host's own message for an invalid or empty object, as the bindings raise it.
namespace component_Zolmar::catalog_class {
class key_InvalidHandle : public tarsk::core::except::Message {
  public:
    static constexpr std::string_view COMPONENT = "Zolmar:class";
    static constexpr std::string_view KEY = "InvalidHandle";
    key_InvalidHandle() : Message(COMPONENT, KEY, "Invalid or deleted object.", {}) {}
};
}  // namespace component_Zolmar::catalog_class

namespace arvex::utilities::zi {

namespace {

namespace kzi = korm::zero::zi;

/// A message-id exception that answers the host's identifier() query with its message id.
template <class M>
class IdentifiedException : public tarsk::core::except::Exception<M> {
  public:
    using tarsk::core::except::Exception<M>::Exception;
    std::string identifier() const { return this->getId(); }
};

// Refuses input `index` (0-based; the message counts from 1, as scripts do) of a call.
[[noreturn]] void reportInvalidInput(std::string const& call, int index, zvArray const* value,
                                     std::string const& expected) {
    kz::reportException(
        korm0::messages::InvalidValue("input " + std::to_string(index + 1) + " of " + call,
                                      kzi::detail::describeValue(value), expected));
}

constexpr char const* kCreationInputs =
    "the optional inputs are a one-element init struct and UUID text, in this order";

}  // namespace

olan::InternedName interned(std::string_view name) {
    return olan::internal::makeInterned(name);
}

void raiseInvalidHandle() {
    zvErrMsgId(IdentifiedException<component_Zolmar::catalog_class::key_InvalidHandle>(
        component_Zolmar::catalog_class::key_InvalidHandle()));
}

void* nativePointerOf(zvArray const* value, std::string_view className) {
    if (value == nullptr || zvGetElementCount(value) == 0) {
        return nullptr;
    }
    olan::Object const* const object = omGetArrayElement(value, 0);
    return object != nullptr ? object->getNativePointer(interned(className)) : nullptr;
}

boost::uuids::uuid uuidOfInput(zvArray const* value) {
    std::u16string const text =
        olan::factory::Marshaler<olan::factory::UnicodeStringPolicy>::FromM(value);
    if (auto const id = kz::parseUuidText(std::u16string_view(text))) {
        return *id;
    }
    throw boost::bad_lexical_cast(typeid(std::u16string), typeid(boost::uuids::uuid));
}

std::u16string uuidText16(boost::uuids::uuid const& id) {
    return kz::uuidText16(id);
}

olan::Value uuidText(boost::uuids::uuid const& id) {
    return olan::Value(zvCreateString_UTF16(uuidText16(id)));
}

olan::Value uuidCell(std::vector<boost::uuids::uuid> const& ids) {
    olan::Value cell(zvCreateCellArray(2, {1, ids.size()}));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        zvSetCell(cell.get(), i, zvCreateString_UTF8(kz::uuidText(ids[i])));
    }
    return cell;
}

olan::Value bindForOutput(kz::ModelElement::Impl* element, std::string_view declaredClassName) {
    return kzi::bindElement(element, declaredClassName);
}

bool isStruct(zvArray const* value) noexcept {
    return value != nullptr && (zvGetClassCode(value) & ~zvFlagLent) == zvCodeStruct;
}

WrapperMethod::WrapperMethod(std::string name, std::uint32_t attributes,
                             std::string_view argumentNames, std::string_view outputType,
                             std::initializer_list<std::string_view> inputTypes, int optionalInputs)
    : WrapperMethod(std::move(name), attributes, argumentNames, outputType,
                    std::span(inputTypes.begin(), inputTypes.size()), optionalInputs) {}

WrapperMethod::WrapperMethod(std::string name, std::uint32_t attributes,
                             std::string_view argumentNames, std::string_view outputType,
                             std::span<std::string_view const> inputTypes, int optionalInputs)
    : OlanMethod(std::move(name), attributes, "") {
    using olan::factory::impl::Invoker;
    auto const* in = inputTypes.data();
    switch (inputTypes.size()) {
        case 0:
            Invoker::createSignature(argumentNames, outputType, signature());
            break;
        case 1:
            Invoker::createSignature(argumentNames, outputType, in[0], signature());
            break;
        case 2:
            Invoker::createSignature(argumentNames, outputType, in[0], in[1], signature());
            break;
        case 3:
            Invoker::createSignature(argumentNames, outputType, in[0], in[1], in[2], signature());
            break;
        default:
            Invoker::createSignature(argumentNames, outputType, in[0], in[1], in[2], in[3],
                                     signature());
            break;
    }
    signature().setOptionalInputCount(optionalInputs);
}

namespace {

/// The builder and UUID a constructor's inputs after the model give: a one-element init
/// struct and UUID text, in either order, each at most once.
struct ConstructorInputs {
    std::unique_ptr<kz::ModelElement::Builder> builder;
    boost::optional<boost::uuids::uuid> id;
};

ConstructorInputs constructorInputs(kz::Model const& model, kz::meta::Class const& metaClass,
                                    std::string_view className, int inputCount,
                                    zvArray const* const* inputs) {
    ConstructorInputs result;
    for (int i = 1; i < inputCount && i < 3; ++i) {
        zvArray const* const value = inputs[i];
        if (!result.builder && isStruct(value) && zvGetElementCount(value) == 1) {
            result.builder = kzi::detail::createBuilderFromStruct(value, 0, model, metaClass);
        } else if (!result.id) {
            result.id = kzi::detail::extractUuid(value);
            if (!result.id) {
                reportInvalidInput("the constructor of " + std::string(className), i, value,
                                   korm0::messages::UUID_TEXT_FORM);
            }
        } else {
            reportInvalidInput("the constructor of " + std::string(className), i, value,
                               "after the model come at most a one-element init struct and UUID "
                               "text, in either order");
        }
    }
    if (!result.builder) {
        result.builder = metaClass.getClassImpl()->instantiateBuilder(model);
    }
    return result;
}

}  // namespace

void construct(kz::meta::Class const& metaClass, std::string_view className, int& outputCount,
               olan::Value* outputs, int inputCount, zvArray const* const* inputs) {
    // modelOf answers no model for an empty array, a non-model and a model closed through the
    // host (the framework's mark of a model no longer usable for creating elements).
    kz::Model const model = inputCount > 0 ? kzi::modelOf(inputs[0]) : kz::Model();
    if (!model) {
        kz::reportException(korm0::messages::CannotCreateWithoutModel());
    }
    ConstructorInputs const given =
        constructorInputs(model, metaClass, className, inputCount, inputs);
    // A host call is a public entry point: it opens or joins the model's transaction. The
    // creation stands only once the object is bound to it: a binding that fails (memory)
    // takes the new element back with the transaction (its own, or the caller's to roll back).
    kz::Transaction transaction = model->joinOrBeginTransaction();
    kz::ModelElement const element =
        given.builder->create(given.id.value_or(boost::uuids::nil_uuid()));
    kz::ModelElement::Impl* const record = element.getImpl();
    olan::factory::basic::BindingRegistry::announceForConstructor(
        record, interned(kzi::hostClassNameFor(record, className)),
        outputs != nullptr ? outputs[0].get() : nullptr, true);
    if (record != nullptr) {
        record->addRef();
    }
    transaction.commit();
    outputCount = 1;
}

namespace {

/// The builder of a createInto call and the input that holds its UUID text (-1: none; a fresh
/// UUID is taken): [init struct], [UUID text] after self.
std::unique_ptr<kz::ModelElement::Builder> creationBuilder(kz::Model const& model,
                                                           kz::meta::Class const& metaClass,
                                                           std::string const& call, int inputCount,
                                                           zvArray const* const* inputs,
                                                           int& uuidInput) {
    using kzi::detail::createBuilderFromStructFirst;
    uuidInput = -1;
    if (inputCount >= 3) {
        if (!isStruct(inputs[1])) {
            reportInvalidInput(call, 1, inputs[1], kCreationInputs);
        }
        uuidInput = 2;
        return createBuilderFromStructFirst(inputs[1], 0, model, metaClass);
    }
    if (inputCount == 2 && isStruct(inputs[1])) {
        return createBuilderFromStructFirst(inputs[1], 0, model, metaClass);
    }
    uuidInput = inputCount == 2 ? 1 : -1;
    return metaClass.getClassImpl()->instantiateBuilder(model);
}

}  // namespace

CreationInputs creationInputs(kz::Model const& model, kz::meta::Class const& metaClass,
                              int inputCount, zvArray const* const* inputs) {
    std::string const call = "a createInto method making an element of class " +
                             tarsk::core::text::toUtf8Lossy(kz::meta::qualifiedNameOf(metaClass));
    CreationInputs result;
    int uuidInput = -1;
    result.builder = creationBuilder(model, metaClass, call, inputCount, inputs, uuidInput);
    if (!result.builder) {
        kz::reportException(
            korm0::messages::NoBuilderForClass(kz::meta::qualifiedNameOf(metaClass)));
    }
    if (uuidInput < 0) {
        result.id = kz::ModelElement::Impl::generateNewUuid();
    } else if (auto const id = kzi::detail::extractUuid(inputs[uuidInput])) {
        result.id = *id;
    } else {
        reportInvalidInput(call, uuidInput, inputs[uuidInput], korm0::messages::UUID_TEXT_FORM);
    }
    return result;
}

void invokeStaticMetaClass(kz::meta::Class (*metaClass)(), int& outputCount, olan::Value* outputs,
                           int /*inputCount*/, zvArray const* const* /*inputs*/) {
    kz::meta::Class const type = metaClass();
    olan::Value bound = bindForOutput(type.getImpl(), kzi::MetaClassClassName);
    if (outputs != nullptr) {
        outputs[0] = std::move(bound);
    }
    if (outputCount == 0) {
        outputCount = 1;
    }
}

olan::factory::OlanMethod* newStaticMetaClass(kz::meta::Class (*metaClass)()) {
    using Method = olan::factory::impl::MethodImpl<kz::meta::Class (*)()>;
    auto method = std::make_unique<Method>(
        "StaticMetaClass",
        olan::factory::MethodAttributes(olan::factory::MethodAttributes::Static |
                                        olan::factory::MethodAttributes::ClassQuery),
        "", &invokeStaticMetaClass, metaClass);
    olan::factory::impl::Invoker::createSignature("", kzi::MetaClassClassName, method->signature());
    return method.release();
}

}  // namespace arvex::utilities::zi
