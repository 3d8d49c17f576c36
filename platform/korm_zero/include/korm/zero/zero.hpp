#pragma once

// The element layer of the framework in one include: models, elements, transactions, change
// and old-value records, proxies, values and messages.

#include "korm/zero/changes.hpp"
#include "korm/zero/element_impl.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/model_files.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/proxy.hpp"
#include "korm/zero/reflection.hpp"
#include "korm/zero/services/hashers.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/unresolved_references.hpp"
#include "korm/zero/value.hpp"
