// What the host methods of the model operations share beyond their template.

#include "operation_method.hpp"

namespace arvex::utilities::zi::operation_method {

olan::Value stringCell(std::vector<std::u16string> const& texts) {
    olan::Value cell(zvCreateCellArray(2, {1, texts.size()}));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        zvSetCell(cell.get(), i, zvCreateString_UTF16(texts[i]));
    }
    return cell;
}

std::string classNameOf(meta_table::TypeRef const& type) {
    for (meta_table::ClassEntry const& row : meta_table::CLASSES) {
        if (type.metaClass != nullptr && row.handle == type.metaClass) {
            return row.qualifiedName;
        }
    }
    return {};
}

}  // namespace arvex::utilities::zi::operation_method
