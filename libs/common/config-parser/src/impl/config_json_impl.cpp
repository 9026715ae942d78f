#include "config_json_impl.h"

#include <boost/throw_exception.hpp>
#include <json/reader.h>

#include <stdexcept>

namespace orv::libs::config {

namespace detail {

std::string join_path(std::initializer_list<std::string>::const_iterator begin,
                      std::initializer_list<std::string>::const_iterator end) {
    std::string joined;
    for (auto it = begin; it != end; ++it) {
        if (it != begin) {
            joined += '.';
        }
        joined += *it;
    }
    return joined;
}

} // namespace detail

template <>
std::unique_ptr<config> config::create<type::json>(std::istream& stream) {
    return std::make_unique<config_json_impl>(stream);
}

config_json_impl::config_json_impl(std::istream& stream) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    Json::Value document;
    std::string errors;
    if (!Json::parseFromStream(builder, stream, &document, &errors)) {
        boost::throw_exception(std::runtime_error("Cannot parse json: " + errors));
    }

    auto& root = m_dictionaries.emplace_back();
    // A document whose top level is not an object has no members to offer.
    if (document.isObject()) {
        for (auto it = document.begin(); it != document.end(); ++it) {
            process_value(*it, it.name(), root);
        }
    }
}

object config_json_impl::get_root() const { return m_dictionaries.front(); }

void config_json_impl::process_value(const Json::Value& json, const std::string& name,
                                     dictionary_impl& target) {
    if (json.isObject()) {
        target.add_value(name, value_impl(add_dictionary(json)));
    } else if (json.isArray()) {
        const auto& elements = add_array(json);
        target.add_value(name, value_impl(value::array(elements)));
    } else {
        target.add_value(name, value_impl(json));
    }
}

void config_json_impl::process_array(const Json::Value& json, std::vector<value_impl>& target) {
    target.reserve(json.size());
    for (const auto& element : json) {
        if (element.isObject()) {
            target.emplace_back(add_dictionary(element));
        } else if (element.isArray()) {
            const auto& elements = add_array(element);
            target.emplace_back(value::array(elements));
        } else {
            target.emplace_back(element);
        }
    }
}

dictionary_impl& config_json_impl::add_dictionary(const Json::Value& json) {
    auto& added = m_dictionaries.emplace_back();
    for (auto it = json.begin(); it != json.end(); ++it) {
        process_value(*it, it.name(), added);
    }
    return added;
}

std::vector<value_impl>& config_json_impl::add_array(const Json::Value& json) {
    // The range over a vector is taken only after the vector is complete, so
    // its iterators are never invalidated by a later insertion.
    auto& added = m_arrays.emplace_back();
    process_array(json, added);
    return added;
}

} // namespace orv::libs::config
