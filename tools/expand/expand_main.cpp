// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/exit_code.h"
#include "tools/expand/expand_tool.h"

#include <iostream>
#include <new>

int main(int argc, char** argv) {
    try {
        return crunchwise::tools::runExpandTool({argv + 1, argv + argc}, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "expand.exe: out of memory\n";
        return crunchwise::tools::exitOutOfMemory;
    }
}
