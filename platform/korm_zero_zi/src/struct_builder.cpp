// Element builders from init structs.

#include <string>
#include <vector>

#include "internal.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/zi/struct_builder.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::zi::detail {

namespace {

int classCode(zvArray const* value) {
    return zvGetClassCode(value) & ~zvFlagLent;
}

std::string fieldText(meta::Class::Impl const& type, std::string const& field) {
    return "field \"" + field + "\" of an init struct of " + type.getQualifiedName8();
}

constexpr char const* kContainmentForm =
    "a containment takes a struct array or a cell of struct arrays";

using BuilderList = std::vector<std::unique_ptr<ModelElement::Builder>>;

// The nested builders a containment field gives: one per element of a struct array, or of
// each struct array held in the cells of a cell array.
BuilderList nestedBuilders(zvArray const* value, Model const& model, meta::Class const& type,
                           std::string const& what) {
    BuilderList builders;
    auto addAll = [&](zvArray const* structs) {
        if (structs == nullptr || classCode(structs) != zvCodeStruct) {
            internal::invalidValue(what, describeValue(structs), kContainmentForm);
        }
        for (std::size_t i = 0, n = zvGetElementCount(structs); i < n; ++i) {
            builders.push_back(createBuilderFromStruct(structs, i, model, type));
        }
    };
    if (classCode(value) == zvCodeCell) {
        for (std::size_t i = 0, n = zvGetElementCount(value); i < n; ++i) {
            addAll(zvGetCell(value, i));
        }
    } else {
        addAll(value);
    }
    return builders;
}

void giveField(ModelElement::Builder& builder, meta::Property const& property, zvArray const* value,
               Model const& model, std::string const& what) {
    meta::Property::Impl const& record = *property.getPropertyImpl();
    meta::Type const type = record.getType();
    if (StandardTypes::is(type, StandardTypes::UUID_TYPE) && !record.isMany()) {
        boost::optional<boost::uuids::uuid> const id = extractUuid(value);
        if (!id) {
            internal::invalidValue(what, describeValue(value), korm0::messages::UUID_TEXT_FORM);
        }
        builder.setOrAdd(property, makeUuidValue(*id));
        return;
    }
    if (record.isContainment() && meta::asClassImpl(type) != nullptr) {
        BuilderList nested = nestedBuilders(value, model, meta::Class(type.getImpl()), what);
        if (!record.isMany() && nested.size() > 1) {
            internal::invalidValue("number of structs given to " + what,
                                   static_cast<std::int64_t>(nested.size()),
                                   "it holds one element");
        }
        for (auto& child : nested) {
            builder.setOrAdd(property, child);
        }
        return;
    }
    internal::invalidValue(what, describeValue(value),
                           "an init struct sets only UUID properties and containments");
}

// The class an init struct fills a builder of, once it is known that `value` is a struct
// array with an element at `index`.
meta::Class::Impl const* checkedInitStruct(zvArray const* value, std::size_t index,
                                           meta::Class const& metaClass) {
    meta::Class::Impl const* const type = meta::asClassImpl(metaClass);
    if (type == nullptr) {
        internal::invalidValue("class of an init struct", "<none>",
                               "an init struct fills a builder of a class");
    }
    if (value == nullptr || classCode(value) != zvCodeStruct || index >= zvGetElementCount(value)) {
        internal::invalidValue("init value of " + type->getQualifiedName8(), describeValue(value),
                               "an init value is a struct" +
                                   (value != nullptr && classCode(value) == zvCodeStruct
                                        ? " array with an element " + std::to_string(index + 1)
                                        : std::string()));
    }
    return type;
}

}  // namespace

std::unique_ptr<ModelElement::Builder> createBuilderFromStruct(zvArray const* value,
                                                               std::size_t index,
                                                               Model const& model,
                                                               meta::Class const& metaClass) {
    meta::Class::Impl const* const type = checkedInitStruct(value, index, metaClass);
    std::unique_ptr<ModelElement::Builder> builder = type->instantiateBuilder(model);
    if (!builder) {
        reportException(korm0::messages::NoBuilderForClass(type->getQualifiedName()));
    }
    for (int field = 0, n = zvGetFieldCount(value); field < n; ++field) {
        std::string const name = zvGetFieldName(value, field);
        zvArray const* const fieldValue = zvGetField(value, index, name);
        if (fieldValue == nullptr) {
            continue;
        }
        std::string const what = fieldText(*type, name);
        meta::Property const property = type->findProperty(tarsk::core::text::toUtf16(name));
        if (property.isEmpty()) {
            internal::invalidValue("field name of an init struct of " + type->getQualifiedName8(),
                                   "\"" + name + "\"", "the class has no property of that name");
        }
        giveField(*builder, property, fieldValue, model, what);
    }
    return builder;
}

std::unique_ptr<ModelElement::Builder> createBuilderFromStructFirst(zvArray const* value,
                                                                    std::size_t index,
                                                                    Model const& model,
                                                                    meta::Class const& metaClass) {
    if (value != nullptr && classCode(value) == zvCodeCell) {
        if (index >= zvGetElementCount(value)) {
            internal::invalidValue(
                "position in an init cell", static_cast<std::int64_t>(index + 1),
                "the cell holds " + std::to_string(zvGetElementCount(value)) + " elements");
        }
        return createBuilderFromStruct(zvGetCell(value, index), 0, model, metaClass);
    }
    return createBuilderFromStruct(value, index, model, metaClass);
}

}  // namespace korm::zero::zi::detail
