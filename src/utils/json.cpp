#include "utils/json.h"

#include "utils/exceptions.h"

#include <memory>

namespace orv::utils {

parse_result json_try_parse(const std::string& text) {
    static const Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    parse_result parsed;
    parsed.ok = reader->parse(text.data(), text.data() + text.size(), &parsed.result, &parsed.error);
    return parsed;
}

Json::Value json_parse(const std::string& text) {
    auto parsed = json_try_parse(text);
    if (!parsed.ok) {
        ORV_THROW_MSG(parsed.error);
    }
    return std::move(parsed.result);
}

std::string json_to_string(const Json::Value& value) {
    static const Json::StreamWriterBuilder builder = [] {
        Json::StreamWriterBuilder b;
        b["commentStyle"] = "None";
        b["indentation"] = "";
        return b;
    }();
    return Json::writeString(builder, value);
}

} // namespace orv::utils
