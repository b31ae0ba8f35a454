// How the kit reads gallery.toml with toml++: without exceptions, and a
// nesting deeper than the kit's limit is a parse error with its place. The
// checker and the compiler include toml++ through here, so both read alike.
#pragma once
#include "kit/KitKeys.h"

#define TOML_EXCEPTIONS 0
#define TOML_MAX_NESTED_VALUES 16
#include <toml++/toml.h>

static_assert(TOML_MAX_NESTED_VALUES == vandrel::kit::limits::maxNesting);
