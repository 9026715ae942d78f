#include "value_impl.h"

namespace orv::libs::config {

value_impl::value_impl(const Json::Value& scalar) : m_value(std::in_place_index<0>, scalar) {}

value_impl::value_impl(const dictionary& object) : m_value(std::in_place_index<1>, object) {}

value_impl::value_impl(array elements) : m_value(std::in_place_index<2>, std::move(elements)) {}

boost::optional<bool> value_impl::as_bool() const {
    const auto* json = scalar();
    if (json == nullptr || !json->isBool()) {
        return boost::none;
    }
    return json->asBool();
}

boost::optional<int> value_impl::as_int() const {
    const auto* json = scalar();
    if (json == nullptr || !json->isIntegral()) {
        return boost::none;
    }
    return json->asInt();
}

boost::optional<double> value_impl::as_double() const {
    const auto* json = scalar();
    if (json == nullptr || !json->isNumeric()) {
        return boost::none;
    }
    return json->asDouble();
}

boost::optional<std::string> value_impl::as_string() const {
    const auto* json = scalar();
    if (json == nullptr || !json->isString()) {
        return boost::none;
    }
    return json->asString();
}

boost::optional<const dictionary&> value_impl::as_object() const {
    if (const auto* object = std::get_if<1>(&m_value)) {
        return object->get();
    }
    return boost::none;
}

boost::optional<value::array> value_impl::as_array() const {
    if (const auto* elements = std::get_if<2>(&m_value)) {
        return *elements;
    }
    return boost::none;
}

} // namespace orv::libs::config
