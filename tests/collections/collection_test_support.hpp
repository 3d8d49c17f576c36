#pragma once

// Helpers shared by the collection tests: UUIDs with a chosen first byte, proxies of entries and
// a text of a holder's collections for comparing states.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "collection_test_classes.hpp"
#include "korm/zero/proxy.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/text.hpp"
#include "test_support.hpp"

namespace korm::zero::colltest {

using arvex_test::thrownId;

/// A UUID whose bytes are all `b` (so that keys order by `b` as an unsigned byte).
inline boost::uuids::uuid key(std::uint8_t b) {
    boost::uuids::uuid id{};
    std::fill(id.begin(), id.end(), b);
    return id;
}

inline std::string text(ModelElement const& element) {
    if (element.isEmpty()) {
        return "-";
    }
    if (element->isProxy()) {
        return "proxy:" +
               tarsk::core::text::toUtf8(element->getProxyId()->getElementId()).substr(0, 8);
    }
    return boost::uuids::to_string(element->getUuid()).substr(0, 8) + (element ? "" : "!");
}

/// A proxy standing for `target` (by its UUID), optionally in another model.
inline Entry proxyOf(Model const& model, ModelElement const& target,
                     boost::optional<std::u16string> modelName = boost::none) {
    return createProxy<Entry>(
        model, ProxyId::forElement(target->getUuid(), Entry::metaClass()->getUuid(), modelName));
}

/// Everything the holder's collections hold, in their orders, with each held entry's container;
/// proxies sorted by id.
inline std::string state(Holder const& holder) {
    std::ostringstream out;
    auto const list = [&out, &holder](char const* name, std::vector<ModelElement> values,
                                      bool sort) {
        if (sort) {
            std::sort(values.begin(), values.end(),
                      [](auto const& a, auto const& b) { return text(a) < text(b); });
        }
        out << name << ":";
        for (auto const& v : values) {
            out << ' ' << text(v);
            if (!v.isEmpty() && !v->isProxy()) {
                out << '=' << int(static_cast<Entry::Impl*>(v.getImpl())->getKey().data[0])
                    << (v->basicContainer() == holder.getImpl() ? "@h" : "@-");
            }
        }
        out << '\n';
    };
    list("map", holder->map().getAllValuesAndProxies(), false);
    list("multi", holder->multi().getAllValuesAndProxies(), false);
    list("seq", holder->seq().getAllValuesAndProxies(), false);
    list("set", holder->set().getAllValuesAndProxies(), true);
    return out.str();
}

}  // namespace korm::zero::colltest
