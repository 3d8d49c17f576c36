#pragma once

// The internal interface of model-file stores: a model travels between the framework and a
// store as an image of plain rows (bytes and UUIDs, no handles), so a store needs neither
// the meta model nor a model, and another store (a server's) can be added without touching
// the framework's callers. See docs/model_files.md.

#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stored_bytes.hpp"

namespace korm::zero::detail {
class ProgressCounter;
}

namespace korm::zero::store {

using detail::ProgressCounter;

/// The format version this program writes, and the newest it reads.
inline constexpr std::int64_t FORMAT_VERSION = 1;

struct StoredHeader {
    std::int64_t formatVersion = FORMAT_VERSION;
    std::u16string modelName;
    /// The URIs of the root meta-packages of the classes of the stored elements.
    std::vector<std::u16string> packageUris;
};

struct StoredElement {
    boost::uuids::uuid id;
    boost::uuids::uuid classId;
    /// The nil UUID for an element without container (then feature is nil, position -1).
    boost::uuids::uuid container;
    boost::uuids::uuid feature;
    std::int64_t position = -1;
};

/// One single value or one member of a collection. A large model has a few of these per
/// element, so they are kept small: what only proxies need lies apart.
struct StoredValue {
    enum class Kind : std::uint8_t { BYTES = 0, ELEMENT = 1, PROXY = 2 };
    /// A proxy's class id and model name (UTF-8).
    struct ProxyNames {
        std::string classId;
        std::string model;
    };

    boost::uuids::uuid element;
    boost::uuids::uuid property;
    /// 0 for a single value; the member's place in its collection's order.
    std::int64_t position = 0;
    /// A member of a collection (else a single value).
    bool member = false;
    Kind kind = Kind::BYTES;
    /// BYTES: the codec's bytes; ELEMENT: the target's 16 bytes; PROXY: its element id (UTF-8).
    StoredBytes data;
    /// PROXY only (else null).
    std::shared_ptr<ProxyNames const> proxy;

    std::string_view proxyClass() const noexcept {
        return proxy ? std::string_view(proxy->classId) : std::string_view();
    }
    std::string_view proxyModel() const noexcept {
        return proxy ? std::string_view(proxy->model) : std::string_view();
    }
    void setProxyNames(std::string_view classId, std::string_view model) {
        proxy = std::make_shared<ProxyNames const>(
            ProxyNames{std::string(classId), std::string(model)});
    }
};

/// The kind stored as `code`, or nothing for a code that names no kind.
inline std::optional<StoredValue::Kind> storedKindOf(std::int64_t code) noexcept {
    if (code < 0 || code > static_cast<std::int64_t>(StoredValue::Kind::PROXY)) {
        return std::nullopt;
    }
    return static_cast<StoredValue::Kind>(code);
}

struct ModelImage {
    StoredHeader header;
    std::vector<StoredElement> elements;
    /// The values of each element follow those of the elements before it in `elements` (a
    /// store reads them back in another order).
    std::vector<StoredValue> values;
};

/// A new position for an element whose own row is otherwise unchanged (see StoredElement).
struct StoredPosition {
    boost::uuids::uuid id;
    std::int64_t position;
};

/// What changed since a file was last written: the rows of the elements to rewrite (each
/// element's row replaces the stored one, and its values replace all of its stored values),
/// the elements to remove with their values, and new positions of unchanged elements. The
/// header's package URIs are those of the rewritten elements' classes; the stored list only
/// grows.
struct ImageChanges {
    ModelImage rewritten;
    std::vector<boost::uuids::uuid> removed;
    std::vector<StoredPosition> repositioned;
};

/// A model file, open while the model it belongs to has it. It holds the file's writer lock:
/// no other process opens the file meanwhile. Errors are framework messages naming the file.
class ModelStore {
  public:
    virtual ~ModelStore() = default;
    /// The whole content. Begins `progress` with the number of stored elements and steps it
    /// once per element read.
    virtual ModelImage read(ProgressCounter& progress) = 0;
    /// Replaces the whole content with `image`, in one transaction: on failure the file holds
    /// what it held before. Steps `progress` once per element written.
    virtual void writeAll(ModelImage const& image, ProgressCounter& progress) = 0;
    /// Applies `changes` to the content this store last wrote or read, in one transaction.
    /// Steps `progress` once per element rewritten or removed.
    virtual void writeChanges(ImageChanges const& changes, ProgressCounter& progress) = 0;
};

enum class OpenMode {
    /// The file must exist (and be a model file, for reading).
    EXISTING,
    /// The file is created when it is missing.
    CREATE,
};

/// The SQLite store of the file at `path`, opened for writing where the file permits, with
/// its writer lock taken. A file locked by another process reports ModelFileInUse.
std::unique_ptr<ModelStore> openSqliteStore(std::string const& path, OpenMode mode);

}  // namespace korm::zero::store
