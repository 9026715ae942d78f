#include "standins/http_record.h"

#include "utils/json.h"

namespace orv::standins {

std::string http_record::to_json_line() const {
    Json::Value line{Json::objectValue};
    line["time"] = Json::Int64{time_ms};
    line["method"] = method;
    line["target"] = target;
    line["status"] = status;
    line["content_type"] = content_type;
    if (json.isNull() && !body.empty())
        line["body"] = body;
    else
        line["body"] = json;
    return utils::json_to_string(line);
}

} // namespace orv::standins
