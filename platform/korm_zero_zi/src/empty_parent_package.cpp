#include "korm/zero/zi/empty_parent_package.hpp"

#include <memory>

#include "olan/errors.hpp"
#include "olan/interned.hpp"

namespace korm::zero::zi {

EmptyParentPackage::EmptyParentPackage(std::string ownName, std::string parentName)
    : m_ownName(std::move(ownName)), m_parentName(std::move(parentName)) {}

EmptyParentPackage::~EmptyParentPackage() = default;

std::pair<std::string, std::string> EmptyParentPackage::splitName(std::string_view dottedName) {
    std::size_t const dot = dottedName.rfind('.');
    if (dot == std::string_view::npos) {
        return {std::string(dottedName), std::string()};
    }
    return {std::string(dottedName.substr(dot + 1)), std::string(dottedName.substr(0, dot))};
}

std::string EmptyParentPackage::getName() const {
    return m_ownName;
}

void EmptyParentPackage::initializePackage(olan::COSPackage* /*package*/) {}

std::string EmptyParentPackage::getQualifiedName() const {
    return m_parentName.empty() ? m_ownName : m_parentName + "." + m_ownName;
}

olan::COSPackage* EmptyParentPackage::registerPackage() {
    // Owned here until handed to the host, so that a failure on the way deletes it.
    std::unique_ptr<EmptyParentPackage> self(this);
    if (m_parentName.empty()) {
        return olan::COSPackage::addPackage(self.release());
    }
    olan::InternedName const parentName = olan::internal::makeInterned(m_parentName);
    olan::COSPackage* parent = olan::COSPackage::getPackage(parentName);
    if (parent == nullptr) {
        auto [own, grandparent] = splitName(m_parentName);
        (new EmptyParentPackage(std::move(own), std::move(grandparent)))->registerPackage();
        parent = olan::COSPackage::getPackage(parentName);
        if (parent == nullptr) {
            olan::raiseHostError(olan::errors::UndefinedPackage, m_parentName);
        }
    }
    return parent->addSubPackage(self.release());
}

}  // namespace korm::zero::zi
