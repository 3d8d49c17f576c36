// How the library's primitive values are stored in model files.

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <memory>
#include <string>

#include "arvex/utilities/collections/typed_values.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/value_codec.hpp"

namespace arvex::utilities {

namespace {

namespace kz = korm::zero;
using boost::uuids::uuid;

[[noreturn]] void reportBadBytes(char const* typeName, std::string_view bytes, char const* form) {
    kz::reportException(korm0::messages::InvalidValue(
        std::string("stored ") + typeName, "<" + std::to_string(bytes.size()) + " bytes>",
        std::string(form)));
}

class UuidCodec : public kz::ValueCodec {
  public:
    std::string encode(kz::Value const& value) const override {
        uuid const id = value.getValue<uuid>();
        return std::string(reinterpret_cast<char const*>(id.data), id.size());
    }
    kz::Value decode(std::string_view bytes, kz::ValueMeta const& meta) const override {
        uuid id;
        if (bytes.size() != id.size()) {
            reportBadBytes("UUID", bytes, "a UUID is stored as 16 bytes");
        }
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(id.data));
        return makeValue<uuid>(id, meta.getType());
    }
};

class BooleanCodec : public kz::ValueCodec {
  public:
    std::string encode(kz::Value const& value) const override {
        return std::string(1, value.getValue<bool>() ? '\1' : '\0');
    }
    kz::Value decode(std::string_view bytes, kz::ValueMeta const& meta) const override {
        if (bytes.size() != 1 || (bytes[0] != '\0' && bytes[0] != '\1')) {
            reportBadBytes("Boolean", bytes, "a Boolean is stored as one byte, 0 or 1");
        }
        return makeValue<bool>(bytes[0] == '\1', meta.getType());
    }
};

}  // namespace

void registerValueCodecs() {
    auto& codecs = kz::ValueCodecRegistry::getInstance();
    codecs.registerCodec(kz::StandardTypes::getType(kz::StandardTypes::UUID_TYPE),
                         std::make_shared<UuidCodec>());
    codecs.registerCodec(kz::StandardTypes::getType(kz::StandardTypes::BOOLEAN_TYPE),
                         std::make_shared<BooleanCodec>());
}

}  // namespace arvex::utilities
