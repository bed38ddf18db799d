// SPDX-License-Identifier: MIT
// What to check when no programmer is found: the cable, and what gives the
// user access to the programmer on this system.
#pragma once

#include "failure_advice.h"

namespace scriba8::app {

TextPair NoProgrammerAdvice(FrontEnd frontEnd);

} // namespace scriba8::app
