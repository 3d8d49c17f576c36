#pragma once

// Everything of the host class system and host arrays.

#include "olan/class_info.hpp"
#include "olan/errors.hpp"
#include "olan/factory/binding_registry.hpp"
#include "olan/factory/class_info.hpp"
#include "olan/factory/method.hpp"
#include "olan/factory/property.hpp"
#include "olan/factory/strings.hpp"
#include "olan/host.hpp"
#include "olan/interned.hpp"
#include "olan/object.hpp"
#include "olan/package.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"
