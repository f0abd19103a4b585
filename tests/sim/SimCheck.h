#pragma once
// The simulator tests use the link tests' check helper: plain C++, so the link and simulator
// threads can run under ThreadSanitizer without Qt.

#include "LinkCheck.h"

namespace simcheck = linkcheck;
