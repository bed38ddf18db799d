// SPDX-License-Identifier: MIT
// The errno values file problems are reported with. MinGW's C library lacks
// a few POSIX ones; they get the values POSIX layers on Windows give them,
// so every system names the same problems.
#pragma once

#include <cerrno>

#ifndef EDQUOT
#define EDQUOT 122
#endif
