#pragma once

#include "config-parser/config.h"
#include "dictionary_impl.h"
#include "value_impl.h"

#include <json/value.h>

#include <istream>
#include <list>
#include <vector>

namespace orv::libs::config {

// Owns the whole tree of a JSON document. List nodes never move, so the
// references between dictionaries and arrays stay valid as long as it lives.
class config_json_impl : public config {
public:
    // Throws std::runtime_error "Cannot parse json: ..." for an unreadable
    // stream or an invalid document. Comments are allowed.
    explicit config_json_impl(std::istream& stream);

    config_json_impl(const config_json_impl&) = delete;
    config_json_impl& operator=(const config_json_impl&) = delete;

    object get_root() const override;

private:
    void process_value(const Json::Value& json, const std::string& name, dictionary_impl& target);
    void process_array(const Json::Value& json, std::vector<value_impl>& target);
    dictionary_impl& add_dictionary(const Json::Value& json);
    std::vector<value_impl>& add_array(const Json::Value& json);

    std::list<dictionary_impl> m_dictionaries;
    std::list<std::vector<value_impl>> m_arrays;
};

} // namespace orv::libs::config
