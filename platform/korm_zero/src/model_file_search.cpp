// ModelFiles: model file names and the search path.

#include <atomic>
#include <filesystem>
#include <mutex>

#include "korm/zero/messages.hpp"
#include "korm/zero/model_files.hpp"
#include "model_references.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero {

namespace {

namespace fs = std::filesystem;

struct SearchPath {
    std::mutex mutex;
    std::vector<std::string> directories;
    std::atomic<std::uint64_t> version{0};
};

SearchPath& searchPath() {
    static SearchPath instance;
    return instance;
}

/// Why `name` is not a plain file name, or null when it is one.
char const* notAFileName(std::u16string const& name) {
    if (name.empty()) {
        return "the name is empty";
    }
    if (!tarsk::core::text::isWellFormed(name)) {
        return "the name is not well-formed UTF-16";
    }
    if (name == u"." || name == u"..") {
        return "the name denotes a directory";
    }
    if (name.find_first_of(std::u16string_view(u"/\\\0", 3)) != std::u16string::npos) {
        return "the name holds a path separator or a NUL character";
    }
    return nullptr;
}

bool isFile(fs::path const& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

std::string ModelFiles::fileNameFor(std::u16string const& modelName) {
    if (char const* const why = notAFileName(modelName)) {
        reportException(korm0::messages::ModelNameNotAFileName(modelName, std::string(why)));
    }
    return tarsk::core::text::toUtf8(modelName) + std::string(EXTENSION);
}

void ModelFiles::setSearchPath(std::vector<std::string> directories) {
    auto& path = searchPath();
    std::lock_guard const lock(path.mutex);
    path.directories.swap(directories);
    path.version.fetch_add(1, std::memory_order_release);
}

std::vector<std::string> ModelFiles::getSearchPath() {
    auto& path = searchPath();
    std::lock_guard const lock(path.mutex);
    return path.directories;
}

boost::optional<std::string> ModelFiles::findFile(std::u16string const& modelName,
                                                  std::string const& referringFile) {
    fs::path const fileName = fileNameFor(modelName);
    if (!referringFile.empty()) {
        fs::path const beside = fs::path(referringFile).parent_path() / fileName;
        if (isFile(beside)) {
            return beside.string();
        }
    }
    for (std::string const& directory : getSearchPath()) {
        fs::path const candidate = fs::path(directory) / fileName;
        if (!directory.empty() && isFile(candidate)) {
            return candidate.string();
        }
    }
    return boost::none;
}

namespace detail {

std::uint64_t searchPathVersion() noexcept {
    return searchPath().version.load(std::memory_order_acquire);
}

}  // namespace detail

}  // namespace korm::zero
