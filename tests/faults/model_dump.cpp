#include "model_dump.hpp"

#include <algorithm>
#include <boost/uuid/uuid_io.hpp>
#include <sstream>
#include <vector>

#include "arvex_utilities.hpp"
#include "korm/zero/zero.hpp"
#include "tarsk/core/text.hpp"

namespace faults {
namespace {

namespace kz = korm::zero;

std::string nameOf(kz::meta::Property const& property) {
    return property.isEmpty() ? "-" : property.getPropertyImpl()->getName8();
}

std::string elementText(kz::ModelElement::Impl const* element) {
    if (element == nullptr) {
        return "none";
    }
    if (kz::ProxyId const* id = element->getProxyId()) {
        return "proxy(" + tarsk::core::text::toUtf8(id->getElementId()) + ")";
    }
    return boost::uuids::to_string(element->getUuid()) + (element->isValid() ? "" : "!invalid");
}

// A collection's entries in their order, then its proxies sorted (their table has no order).
std::string collectionText(kz::ReferenceCollection const& collection) {
    std::vector<std::string> resolved;
    std::vector<std::string> proxies;
    for (kz::ModelElement const& element : collection.getAllValuesAndProxies()) {
        (element->isProxy() ? proxies : resolved).push_back(elementText(element.getImpl()));
    }
    std::sort(proxies.begin(), proxies.end());
    std::string text = "[";
    for (auto const* part : {&resolved, &proxies}) {
        for (auto const& item : *part) {
            text += item + " ";
        }
    }
    return text + "]";
}

std::string valueText(kz::meta::Property const& property, kz::Value const& value) {
    auto const* impl = property.getPropertyImpl();
    if (impl->isMany()) {
        return collectionText(*static_cast<kz::ReferenceCollection const*>(value.getPayload()));
    }
    kz::meta::Type const type = impl->getType();
    if (!type.isEmpty() && type.getTypeImpl()->isClass()) {
        // A single element value carries a counted handle of the element's class.
        auto const* held = static_cast<kz::ModelElement const*>(value.getPayload());
        return elementText(held != nullptr ? held->getImpl() : nullptr);
    }
    return boost::uuids::to_string(value.getValue<boost::uuids::uuid>());
}

void dumpElement(std::ostringstream& out, kz::ModelElement const& element) {
    kz::meta::Class const metaClass = element->getMetaClass();
    out << elementText(element.getImpl()) << ' '
        << (metaClass.isEmpty() ? "?" : metaClass.getClassImpl()->getQualifiedName8()) << " in "
        << elementText(element->basicContainer()) << '.' << nameOf(element->containmentFeature())
        << '#' << static_cast<long long>(element->containmentIndex()) << '\n';
    for (std::size_t index = 1;; ++index) {
        kz::meta::Property const property = element->getPropertyByIndex(index);
        if (property.isEmpty()) {
            break;
        }
        out << "  " << nameOf(property) << " = "
            << valueText(property, element->getPropertyValue(property, kz::NO_PROXY_RESOLVE))
            << '\n';
    }
}

}  // namespace

std::string dumpModel(kz::Model const& model) {
    std::vector<kz::ModelElement> elements = model->getElements();
    std::sort(elements.begin(), elements.end(),
              [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
    std::ostringstream out;
    for (auto const& element : elements) {
        dumpElement(out, element);
    }
    out << "live " << model->getElementCount() << ", depth " << model->getTransactionDepth()
        << ", undo " << model->getUndoCount() << ", redo " << model->getRedoCount() << '\n';
    return out.str();
}

}  // namespace faults
