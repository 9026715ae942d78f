#include "context/tdoa_schedule.h"

#include "redis/context.h"
#include "utils/json.h"

namespace orv::context {

namespace {

// Missing members, or members of another type, read as 0 / the empty text.
int int_member(const Json::Value& object, const char* name) {
    if (!object.isObject()) {
        return 0;
    }
    const Json::Value& member = object[name];
    return member.isConvertibleTo(Json::intValue) ? member.asInt() : 0;
}

std::string string_member(const Json::Value& object, const char* name) {
    if (!object.isObject()) {
        return {};
    }
    const Json::Value& member = object[name];
    return member.isString() ? member.asString() : std::string();
}

} // namespace

std::string tdoa_schedule::keys::prefix() { return "tdoa_schedules"; }
redis::key tdoa_schedule::keys::set() { return redis::key(prefix() + ":set"); }
redis::key tdoa_schedule::keys::items(const std::string& uid) {
    return redis::key(prefix() + ":" + uid + ":items");
}

tdoa_schedule::tdoa_schedule(std::string uid, redis::context& redis_context, accessor& context)
    : m_uid(std::move(uid)),
      m_items(redis_context.get_set(keys::items(m_uid))),
      m_redis_context(redis_context),
      m_context(context) {}

tdoa_schedule tdoa_schedule::create(redis::context& _redis_context, accessor& _context,
                                    const std::string& _uid) {
    tdoa_schedule object(_uid, _redis_context, _context);
    _redis_context.get_set(keys::set())->add(_uid);
    return object;
}

std::string tdoa_schedule::to_json_text(const item& value) {
    Json::Value object(Json::objectValue);
    object["number"] = value.number;
    object["src_uid"] = value.src_uid;
    object["dst_uid"] = value.dst_uid;
    object["slot_num"] = value.slot_num;
    object["section"] = value.section;
    object["dimension"] = value.dimension;
    object["edg_type"] = value.edg_type;
    object["margin"] = value.margin;
    return utils::json_to_string(object);
}

void tdoa_schedule::add_item(const item& value) { m_items->add(to_json_text(value)); }

void tdoa_schedule::clear_items() { m_items->clear(); }

bool tdoa_schedule::for_each_items(const item_callback& callback) const {
    return m_items->for_each_member([&callback](const std::string& text) {
        const Json::Value object = utils::json_parse(text);
        item value;
        value.number = int_member(object, "number");
        value.src_uid = string_member(object, "src_uid");
        value.dst_uid = string_member(object, "dst_uid");
        value.slot_num = int_member(object, "slot_num");
        value.section = int_member(object, "section");
        value.dimension = int_member(object, "dimension");
        value.edg_type = int_member(object, "edg_type");
        value.margin = int_member(object, "margin");
        return callback(value);
    });
}

void tdoa_schedule::remove() {
    m_redis_context.get_set(keys::set())->rem(m_uid);
    m_items->clear();
}

} // namespace orv::context
