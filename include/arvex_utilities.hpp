#pragma once

// The whole public API of arvex_utilities.

#include "arvex/utilities/collections/typed_values.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/fullpath.hpp"
