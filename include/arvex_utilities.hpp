#pragma once

// The whole public API of arvex_utilities.

#include "arvex/utilities/collections/collection_factory.hpp"
#include "arvex/utilities/collections/collection_support.hpp"
#include "arvex/utilities/collections/element_map.hpp"
#include "arvex/utilities/collections/element_multimap.hpp"
#include "arvex/utilities/collections/element_sequence.hpp"
#include "arvex/utilities/collections/keyed_element_collection.hpp"
#include "arvex/utilities/collections/typed_reference_collection.hpp"
#include "arvex/utilities/collections/typed_values.hpp"
#include "arvex/utilities/collections/unordered_element_set.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/fullpath.hpp"
#include "arvex/utilities/meta/meta_package.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_map_value.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"
