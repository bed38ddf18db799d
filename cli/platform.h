// SPDX-License-Identifier: MIT
// What scriba8 needs from the system it runs on before and while it reads
// its command line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace scriba8::cli {

// The command line as UTF-8 words, program name first. On Windows argv is in
// the ANSI code page, so the words are read again from the system; standard
// output and error then carry UTF-8 text and binary data unchanged. A
// standard stream the shell closed is held by a stand-in that refuses
// writes, so no file the tool opens later takes its place and receives
// what was meant for the stream.
std::vector<std::string> PrepareProcess(int argc, char** argv);

// Whether stream is a terminal (on Windows: a console) the user watches.
bool IsTerminal(std::FILE* stream);

} // namespace scriba8::cli
