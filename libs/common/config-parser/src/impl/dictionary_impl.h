#pragma once

#include "config-parser/dictionary.h"
#include "value_impl.h"

#include <map>
#include <string>
#include <vector>

namespace orv::libs::config {

class dictionary_impl : public dictionary {
public:
    boost::optional<const value&> get_value(const std::string& key) const override;
    std::vector<std::string> get_keys() const override;

    // The first value added for a key stays; later ones are dropped.
    void add_value(const std::string& key, value_impl value);

private:
    std::map<std::string, value_impl> m_data;
};

} // namespace orv::libs::config
