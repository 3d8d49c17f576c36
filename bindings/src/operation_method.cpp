// What the host methods of the model operations share beyond their template.

#include "operation_method.hpp"

namespace arvex::utilities::zi::operation_method {

std::string classNameOf(meta_table::TypeRef const& type) {
    if (type.metaClass == nullptr) {
        return {};
    }
    for (meta_table::ClassEntry const& row : meta_table::CLASSES) {
        if (row.handle == type.metaClass) {
            return row.qualifiedName;
        }
    }
    return {};
}

}  // namespace arvex::utilities::zi::operation_method
