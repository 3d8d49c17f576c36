#include "olan/factory/class_info.hpp"

namespace olan::factory {

OlanFactoryClassInfo::OlanFactoryClassInfo(std::string shortName, std::string qualifiedName)
    : shortName_(std::move(shortName)), qualifiedName_(std::move(qualifiedName)) {}

OlanFactoryClassInfo::~OlanFactoryClassInfo() = default;

std::string OlanFactoryClassInfo::getName() const {
    return shortName_;
}

std::string OlanFactoryClassInfo::getQualifiedName() const {
    return qualifiedName_;
}

bool OlanFactoryClassInfo::isFactoryClass() const {
    return true;
}

}  // namespace olan::factory
