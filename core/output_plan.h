// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs of a Compress or Expand run, checked before anything is
// written: no output may be a selected source, two sources may not give one
// output, and an existing file is replaced only when the user agrees. Qt-free.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace crunchwise::commands {

struct OutputJob {
    std::string source; // path of a selected file (bytes, as the host names it)
    std::string output; // the path it is to be written to
};

enum class OutputVerdict {
    write,        // nothing lies at the output: write it
    isSource,     // the output is a selected source (this job's or another's)
    takenEarlier, // an earlier job of the run already gives this output
    exists,       // a file, folder or link already lies at the output
};

struct OutputCheck {
    OutputVerdict verdict = OutputVerdict::write;
    std::size_t other = 0; // the job whose source (isSource) or output (takenEarlier) it is
};

// One check per job, in order. Two paths name the same file when they are
// spelled alike once "." and ".." are resolved and the folder's links are
// followed (a link at the name itself is not followed), or when both exist
// and are one file (a hard link, a link to it, another letter case on a
// file system that ignores case). Never fails.
std::vector<OutputCheck> checkOutputs(const std::vector<OutputJob>& jobs);

} // namespace crunchwise::commands
