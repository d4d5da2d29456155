// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests that work on real files: a scratch folder removed at the
// end, whole-file reads and writes, test data, and running a program the way
// a user's shell would (own folder, environment, redirections, size limit).
#pragma once

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace crunchwise::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "crunchwise-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

    // Names of the entries directly in `folder` (the scratch folder itself by
    // default), sorted, hidden ones included.
    std::vector<std::string> entries(const fs::path& folder = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? path_ : folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path path_;
};

inline void writeBytes(const fs::path& file, const Bytes& data) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

inline void writeText(const fs::path& file, const std::string& text) {
    writeBytes(file, Bytes(text.begin(), text.end()));
}

inline Bytes readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string readText(const fs::path& file) {
    const Bytes bytes = readBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

// Data that compresses partly: runs of repeated words mixed with noise, so
// both matches and literals occur, including matches at every distance.
inline Bytes testData(std::size_t size, unsigned seed = 1) {
    static const std::string words[] = {"SETUP ", "driver ", "\r\n", "LZ", "    ", "0123456789"};
    std::mt19937 generator(seed);
    Bytes data;
    data.reserve(size);
    while (data.size() < size) {
        if (generator() % 4 == 0) {
            data.push_back(static_cast<std::uint8_t>(generator()));
        } else {
            const std::string& word = words[generator() % std::size(words)];
            data.insert(data.end(), word.begin(), word.end());
        }
    }
    data.resize(size);
    return data;
}

struct RunOptions {
    fs::path workingFolder;                 // current folder when empty
    std::map<std::string, std::string> env; // variables to set or replace
    std::optional<fs::path> input;          // stdin from this file
    std::optional<fs::path> output;         // stdout to this file
    std::optional<fs::path> errors;         // stderr to this file
    std::optional<rlim_t> fileSizeLimit;    // RLIMIT_FSIZE in bytes
    std::optional<uid_t> user;              // run as this user and its group id (needs root)
};

// Runs `program` with `arguments`, waits, and returns its exit status, or
// -1 when it did not end normally (killed by a signal, could not start).
inline int runProgram(const fs::path& program, const std::vector<std::string>& arguments,
                      const RunOptions& options = {}) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const pid_t child = ::fork();
    if (child == 0) {
        auto redirect = [](const std::optional<fs::path>& file, int fd, int flags) {
            if (file) {
                const int opened = ::open(file->c_str(), flags, 0644);
                if (opened < 0 || ::dup2(opened, fd) < 0) {
                    ::_exit(126);
                }
            }
        };
        redirect(options.input, 0, O_RDONLY);
        redirect(options.output, 1, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(options.errors, 2, O_WRONLY | O_CREAT | O_TRUNC);
        if (!options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0) {
            ::_exit(126);
        }
        for (const auto& [name, value] : options.env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (options.user && (::setgroups(0, nullptr) != 0 || ::setgid(*options.user) != 0 ||
                             ::setuid(*options.user) != 0)) {
            ::_exit(126);
        }
        if (options.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) < 0) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace crunchwise::testing
