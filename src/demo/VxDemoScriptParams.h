#pragma once
// The arguments of one script line, by position: identifiers 0, 1, 2 ... in
// the order they were written, each an integer, a float or a string.

#include "base/VxProperties.h"

class TVxDemoScriptParams : public TVxProperties {};
