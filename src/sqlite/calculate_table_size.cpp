#include "sqlite/calculate_table_size.h"

#include <SQLiteCpp/Statement.h>

#include <limits>

namespace orv::sqlite {

bytes calculate_table_size(const std::string& name, synchronized_database& database) {
    auto guard = database.lock();
    SQLite::Statement select(*guard, R"(
        SELECT SUM( pgsize - unused ) FROM dbstat WHERE name=:name;
    )");
    select.bind(":name", name);
    select.executeStep();
    // SUM of no rows is NULL, read as 0. The sum is 64-bit in SQLite; a table past
    // the range of int must not wrap round to a small or negative size.
    const long long size = select.getColumn(0).getInt64();
    if (size > std::numeric_limits<int>::max()) {
        return bytes{std::numeric_limits<int>::max()};
    }
    return bytes{static_cast<int>(size)};
}

} // namespace orv::sqlite
