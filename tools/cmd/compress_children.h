// SPDX-License-Identifier: GPL-3.0-or-later
// The compress lines of a batch as child processes of compress.exe, several
// side by side. What a child prints is kept as the reason of its line when
// it fails, so that messages of children running together never mix.
#pragma once

#include "tools/cmd/batch_commands.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace crunchwise::tools {

class CompressChildren {
public:
    CompressChildren() = default;
    ~CompressChildren(); // stops and waits for any child still running
    CompressChildren(const CompressChildren&) = delete;
    CompressChildren& operator=(const CompressChildren&) = delete;

    struct Finished {
        std::size_t line = 0;
        CommandOutcome outcome;
    };

    // Starts `compressor` with `arguments` for batch line `line`, directly,
    // never through a shell; its standard input is empty. Returns the
    // failure at once when it cannot be started.
    std::optional<CommandOutcome> start(const std::filesystem::path& compressor, std::size_t line,
                                        const std::vector<std::string>& arguments);

    std::size_t running() const { return children_.size(); }

    // Waits until a child ends. Returns nothing when an interrupt arrived
    // first (see interrupts.h) or no child runs.
    std::optional<Finished> waitForOne();

    // Sends `signal` to every child and waits for them all.
    void stopAll(int signal);

private:
    struct Child {
        pid_t pid = -1;
        int output = -1; // read end of its standard output and error
        std::size_t line = 0;
        std::string messages;
    };
    // Reads what the child at `index` printed; true at its end.
    bool drain(Child& child);
    Finished reap(std::size_t index);

    std::vector<Child> children_;
};

} // namespace crunchwise::tools
