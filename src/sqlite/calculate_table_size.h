#pragma once

#include "sqlite/queues_database.h"

#include <string>

namespace orv::sqlite {

// Bytes used by the pages of table `name` (page size minus unused bytes, from the
// dbstat virtual table), 0 when no such table exists. Locks the database mutex.
// A size beyond the range of int is reported as INT_MAX.
bytes calculate_table_size(const std::string& name, synchronized_database& database);

} // namespace orv::sqlite
