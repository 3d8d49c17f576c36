#pragma once

// The SQLite model-file store: the schema (docs/model_files.md gives its reasons), reading a
// whole file, and writing a whole image or the changes since the last write, each in one
// transaction.

#include <cstdint>
#include <string>
#include <string_view>

#include "file_lock.hpp"
#include "meta_codes.hpp"
#include "model_store.hpp"
#include "sqlite_db.hpp"

namespace korm::zero::store {

// "KMF1" in the file header marks a model file.
inline constexpr std::int64_t APPLICATION_ID = 0x4B4D4631;

class SqliteStore : public ModelStore {
  public:
    SqliteStore(std::string const& path, OpenMode mode)
        : m_lock(path, mode == OpenMode::CREATE), m_db(path, mode == OpenMode::CREATE) {}

    ModelImage read(ProgressCounter& progress) override;
    void writeAll(ModelImage const& image, ProgressCounter& progress) override;
    void writeChanges(ImageChanges const& changes, ProgressCounter& progress) override;

  private:
    // Reading.
    void checkHeader();
    std::u16string text16(std::string_view bytes) const;
    boost::uuids::uuid const& idOfCode(std::int64_t code) const;
    void readHeader(ModelImage& image);
    void readElements(ModelImage& image, ProgressCounter& progress);
    void unpackSingles(boost::uuids::uuid const& element, std::string_view blob,
                       std::vector<StoredValue>& values) const;
    void readMembers(ModelImage& image);
    // Writing.
    void useWriteAheadLog();
    void prepareForWriting();
    void writeHeader(StoredHeader const& header, char const* packageInsert);
    void writeElements(ModelImage const& image, char const* insert, ProgressCounter& progress);
    void writeMembers(std::vector<StoredValue> const& values);
    void removeRows(ImageChanges const& changes, ProgressCounter& progress);
    void writePositions(std::vector<StoredPosition> const& positions);

    // The lock is taken before and released after the connection (see FileLock).
    FileLock m_lock;
    SqliteConnection m_db;
    MetaCodes m_codes;
    bool m_walChecked = false;
};

}  // namespace korm::zero::store
