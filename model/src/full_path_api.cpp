// FullPathAPI: the element side of the class and its static path operation.

#include "arvex/utilities/full_path_api.hpp"

#include "arvex/utilities/fullpath.hpp"

namespace arvex::utilities {

korm::zero::meta::Class FullPathAPI::metaClass() {
    return detail::Meta::fullPathAPI();
}

FullPathAPI FullPathAPI::create(korm::zero::Model const& model, boost::uuids::uuid const& id) {
    return detail::createElement<FullPathAPI>(model, id);
}

std::vector<std::u16string> FullPathAPI::getComponentNames(std::u16string const& namedPath) {
    return fullpath::getComponentNames(namedPath);
}

FullPathAPI::Impl::Impl(korm::zero::Model const& model, boost::uuids::uuid const& id)
    : RecordBase(model, id) {}

FullPathAPI::Impl::~Impl() {
    markDeleting();
}

std::unique_ptr<korm::zero::ModelElement::Impl::Storage> FullPathAPI::Impl::createStorage() const {
    return detail::newStorage<Storage>(*this, BIT_COUNT);
}

}  // namespace arvex::utilities
