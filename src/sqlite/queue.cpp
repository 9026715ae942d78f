#include "sqlite/queue.h"

#include "utils/exceptions.h"

#include <SQLiteCpp/Statement.h>
#include <boost/algorithm/string/replace.hpp>
#include <boost/format.hpp>

namespace orv::sqlite {

namespace {

// A table name inside double quotes: every double quote doubled.
std::string quote_name(const std::string& name) { return boost::replace_all_copy(name, "\"", "\"\""); }

// A text literal inside single quotes: every single quote doubled.
std::string quote_text(const std::string& text) { return boost::replace_all_copy(text, "'", "''"); }

} // namespace

queue::queue(std::string name, SQLite::Database& database) : m_name(std::move(name)), m_database(database) {
    m_database.exec(boost::str(boost::format(R"(
        CREATE TABLE IF NOT EXISTS "%1%" (
            "index" INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT,
            "value" TEXT NOT NULL
        );
    )") % quote_name(m_name)));
}

void queue::add(const std::string& value) {
    // The statement is handed to SQLite as a C string: a NUL would cut it short.
    ORV_CHECK(value.find('\0') == std::string::npos);
    m_database.exec(boost::str(boost::format(R"(
        INSERT INTO "%1%" ( "value" ) VALUES ( '%2%' );
    )") % quote_name(m_name) % quote_text(value)));
}

std::string queue::front() const {
    SQLite::Statement select(m_database, boost::str(boost::format(R"(
        SELECT "value" FROM "%1%" ORDER BY "index" ASC LIMIT 1;
    )") % quote_name(m_name)));
    const bool ret = select.executeStep();
    ORV_CHECK(ret);
    return select.getColumn(0).getString();
}

std::string queue::pop() {
    std::string value = front();
    delete_first_values(1);
    return value;
}

std::vector<std::string> queue::get_first_values(int count) const {
    // SQLite reads a negative LIMIT as "no limit".
    ORV_CHECK(count >= 0);
    SQLite::Statement select(m_database, boost::str(boost::format(R"(
        SELECT "value" FROM "%1%" ORDER BY "index" ASC LIMIT %2%;
    )") % quote_name(m_name) % count));
    std::vector<std::string> values;
    while (select.executeStep()) {
        values.push_back(select.getColumn(0).getString());
    }
    return values;
}

void queue::delete_first_values(int count) {
    ORV_CHECK(count >= 0);
    m_database.exec(boost::str(boost::format(R"(
        DELETE FROM "%1%" WHERE "index" IN (
            SELECT "index" FROM "%1%" ORDER BY "index" ASC LIMIT %2%
        );
    )") % quote_name(m_name) % count));
}

void queue::clear() {
    m_database.exec(boost::str(boost::format(R"(
        DELETE FROM "%1%";
    )") % quote_name(m_name)));
}

bool queue::has_values() const {
    SQLite::Statement select(m_database, boost::str(boost::format(R"(
        SELECT "index" FROM "%1%" LIMIT 1;
    )") % quote_name(m_name)));
    return select.executeStep();
}

} // namespace orv::sqlite
