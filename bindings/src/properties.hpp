#pragma once

// The property descriptions of the six classes: UUID text "Key" and "Value" of the entries,
// the inner map "Value" of UUIDToUUIDMapEntry, and the live "Pairs" view of the maps.

#include "olan/factory/property.hpp"

namespace arvex::utilities::zi::properties {

olan::factory::impl::PropertyImpl* newUUIDMapPairs();
olan::factory::impl::PropertyImpl* newUUIDMultiMapPairs();
olan::factory::impl::PropertyImpl* newUUIDToUUIDMapPairs();
olan::factory::impl::PropertyImpl* newUUIDMapEntryKey();
olan::factory::impl::PropertyImpl* newUUIDMapEntryValue();
olan::factory::impl::PropertyImpl* newUUIDToUUIDMapEntryKey();
olan::factory::impl::PropertyImpl* newUUIDToUUIDMapEntryValue();

}  // namespace arvex::utilities::zi::properties
