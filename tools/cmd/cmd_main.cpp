// SPDX-License-Identifier: GPL-3.0-or-later
// crunchws-cmd /c BATCHFILE
#include "tools/cmd/batch_commands.h"
#include "tools/cmd/batch_runner.h"
#include "tools/cmd/interrupts.h"

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    using namespace crunchwise::tools;
    const std::string_view flag = argc > 1 ? argv[1] : "";
    if (argc != 3 || (flag != "/c" && flag != "/C")) {
        std::cerr << "Usage: crunchws-cmd /c BATCHFILE\n"
                     "Runs the compress, ren and del lines of BATCHFILE; nothing else.\n";
        return kBatchUsage;
    }
    if (!interrupts::install()) {
        std::cerr << "crunchws-cmd: cannot watch for interrupts\n";
        return kBatchUsage;
    }
    const int result = runBatchFile(argv[2], ownProgramFolder(), std::cout, std::cerr);
    if (const int signal = interrupts::received())
        interrupts::endBy(signal); // the compressors it started have stopped
    return result;
}
