#pragma once

#include "config-parser/dictionary.h"
#include "config-parser/value.h"

#include <json/value.h>

#include <functional>
#include <variant>

namespace orv::libs::config {

// A node of a parsed JSON document. Objects and arrays are referred to, not
// owned: config_json_impl keeps them alive.
class value_impl : public value {
public:
    explicit value_impl(const Json::Value& scalar);
    explicit value_impl(const dictionary& object);
    explicit value_impl(array elements);

    boost::optional<bool> as_bool() const override;
    // Integral numbers only, 7.0 included. A number outside the range of int
    // makes jsoncpp throw Json::LogicError.
    boost::optional<int> as_int() const override;
    boost::optional<double> as_double() const override;
    boost::optional<std::string> as_string() const override;
    boost::optional<const dictionary&> as_object() const override;
    boost::optional<array> as_array() const override;

private:
    const Json::Value* scalar() const { return std::get_if<0>(&m_value); }

    std::variant<Json::Value, std::reference_wrapper<const dictionary>, array> m_value;
};

} // namespace orv::libs::config
