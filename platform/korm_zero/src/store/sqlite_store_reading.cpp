// Reading a whole model file.

#include <exception>

#include "../progress_counter.hpp"
#include "korm/zero/messages.hpp"
#include "packed_values.hpp"
#include "sqlite_store.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::store {

ModelImage SqliteStore::read(ProgressCounter& progress) {
    // One read transaction: the rows come from one saved state even if a writer commits
    // meanwhile.
    m_db.execute("BEGIN", Activity::READING);
    ModelImage image;
    checkHeader();
    readHeader(image);
    m_codes.load(m_db);
    readElements(image, progress);
    readMembers(image);
    m_db.execute("COMMIT", Activity::READING);
    return image;
}

void SqliteStore::checkHeader() {
    if (m_db.queryInteger("PRAGMA application_id", Activity::READING) != APPLICATION_ID) {
        reportException(korm0::messages::ModelFileNotAModel(m_db.path()));
    }
    std::int64_t const version = m_db.queryInteger("PRAGMA user_version", Activity::READING);
    if (version > FORMAT_VERSION) {
        reportException(korm0::messages::ModelFileTooNew(m_db.path(), version, FORMAT_VERSION));
    }
    if (version < 1) {
        m_db.corrupt("its format version is " + std::to_string(version));
    }
}

std::u16string SqliteStore::text16(std::string_view bytes) const {
    try {
        return tarsk::core::text::toUtf16(bytes);
    } catch (tarsk::core::except::Exception<tarsk::core::text::IllFormedText> const&) {
        m_db.corrupt("a text is not well-formed UTF-8");
    }
}

boost::uuids::uuid const& SqliteStore::idOfCode(std::int64_t code) const {
    boost::uuids::uuid const* id = code < 0 ? nullptr : m_codes.idOf(code);
    if (id == nullptr) {
        m_db.corrupt("it names the unknown class or property code " + std::to_string(code));
    }
    return *id;
}

void SqliteStore::readHeader(ModelImage& image) {
    image.header.formatVersion = FORMAT_VERSION;
    SqliteStatement name(m_db, "SELECT value FROM header WHERE key = 'model'", Activity::READING);
    if (!name.step()) {
        m_db.corrupt("it names no model");
    }
    image.header.modelName = text16(name.bytesAt(0));
    SqliteStatement packages(m_db, "SELECT uri FROM packages ORDER BY uri", Activity::READING);
    while (packages.step()) {
        image.header.packageUris.push_back(text16(packages.bytesAt(0)));
    }
}

void SqliteStore::readElements(ModelImage& image, ProgressCounter& progress) {
    // Room for every row at once, and for two values a row (a map's pair: key and value), so
    // that the rows are not moved again and again as the vectors grow.
    auto const count = static_cast<std::size_t>(
        m_db.queryInteger("SELECT count(*) FROM elements", Activity::READING));
    image.elements.reserve(count);
    image.values.reserve(2 * count);
    progress.begin(count);
    SqliteStatement rows(m_db,
                         "SELECT id, class, container, feature, position, singles FROM elements "
                         "ORDER BY id",
                         Activity::READING);
    while (rows.step()) {
        StoredElement& e = image.elements.emplace_back();
        e.id = rows.uuidAt(0, "an element's id");
        e.classId = idOfCode(rows.integerAt(1));
        e.container = rows.optionalUuidAt(2, "an element's container");
        e.feature = rows.isNullAt(3) ? boost::uuids::uuid{} : idOfCode(rows.integerAt(3));
        e.position = rows.isNullAt(4) ? -1 : rows.integerAt(4);
        unpackSingles(e.id, rows.bytesAt(5), image.values);
        progress.step();
    }
}

void SqliteStore::unpackSingles(boost::uuids::uuid const& element, std::string_view blob,
                                std::vector<StoredValue>& values) const {
    while (!blob.empty()) {
        // Made in place: a failure reports the file corrupt, and the image goes.
        StoredValue& value = values.emplace_back();
        std::uint64_t code = 0;
        if (!unpackValue(blob, code, value)) {
            m_db.corrupt("the values of an element are malformed");
        }
        value.element = element;
        value.property = idOfCode(static_cast<std::int64_t>(code));
    }
}

void SqliteStore::readMembers(ModelImage& image) {
    SqliteStatement rows(m_db,
                         "SELECT element, property, position, kind, data, proxy_class, "
                         "proxy_model FROM members ORDER BY element, property, position",
                         Activity::READING);
    while (rows.step()) {
        StoredValue& v = image.values.emplace_back();
        v.member = true;
        v.element = rows.uuidAt(0, "a member's owner");
        v.property = idOfCode(rows.integerAt(1));
        v.position = rows.integerAt(2);
        std::int64_t const code = rows.integerAt(3);
        auto const kind = storedKindOf(code);
        if (!kind) {
            m_db.corrupt("a member has the unknown kind " + std::to_string(code));
        }
        v.kind = *kind;
        v.data = rows.bytesAt(4);
        if (v.kind == StoredValue::Kind::PROXY) {
            v.setProxyNames(rows.bytesAt(5), rows.bytesAt(6));
        }
    }
}

}  // namespace korm::zero::store
