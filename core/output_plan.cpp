// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/output_plan.h"

#include <filesystem>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <utility>

namespace crunchwise::commands {
namespace fs = std::filesystem;

namespace {

using FileId = std::pair<dev_t, ino_t>;

// Paths with their folders resolved (links followed, "." and ".." gone) and
// their own names kept; a run's files share few folders, each resolved once.
class Resolver {
public:
    std::string operator()(const std::string& path) {
        const fs::path given = fs::path(path).lexically_normal();
        auto [known, added] = folders_.try_emplace(given.parent_path().string());
        if (added) {
            std::error_code error;
            const fs::path folder = fs::weakly_canonical(given.parent_path(), error);
            known->second = error ? given.parent_path().string() : folder.string();
        }
        return (fs::path(known->second) / given.filename()).string();
    }

private:
    std::unordered_map<std::string, std::string> folders_;
};

// The file that `path` names, links followed; nothing when there is none.
std::optional<FileId> idOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

bool present(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Where each path or file was first seen.
class FirstSeen {
public:
    void add(const std::string& path, const std::optional<FileId>& id, std::size_t index) {
        paths_.try_emplace(path, index);
        if (id)
            ids_.try_emplace(*id, index);
    }
    std::optional<std::size_t> find(const std::string& path,
                                    const std::optional<FileId>& id) const {
        if (const auto found = paths_.find(path); found != paths_.end())
            return found->second;
        if (const auto found = id ? ids_.find(*id) : ids_.end(); found != ids_.end())
            return found->second;
        return std::nullopt;
    }

private:
    std::unordered_map<std::string, std::size_t> paths_;
    std::map<FileId, std::size_t> ids_;
};

} // namespace

std::vector<OutputCheck> checkOutputs(const std::vector<OutputJob>& jobs) {
    Resolver resolve;
    FirstSeen sources;
    for (std::size_t j = 0; j < jobs.size(); ++j)
        sources.add(resolve(jobs[j].source), idOf(jobs[j].source), j);
    FirstSeen outputs;
    std::vector<OutputCheck> checks(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string path = resolve(jobs[i].output);
        const std::optional<FileId> id = idOf(jobs[i].output);
        if (const auto source = sources.find(path, id))
            checks[i] = {OutputVerdict::isSource, *source};
        else if (const auto earlier = outputs.find(path, id))
            checks[i] = {OutputVerdict::takenEarlier, *earlier};
        else if (present(jobs[i].output))
            checks[i].verdict = OutputVerdict::exists;
        outputs.add(path, id, i);
    }
    return checks;
}

} // namespace crunchwise::commands
