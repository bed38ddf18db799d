// SPDX-License-Identifier: MIT
#include "platform.h"

#include <unistd.h>

namespace scriba8::cli {

std::vector<std::string> PrepareProcess(int argc, char** argv) { return {argv, argv + argc}; }

bool IsTerminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

} // namespace scriba8::cli
