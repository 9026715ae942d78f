#pragma once

#include "redis/context.h"

#include <memory>
#include <string>
#include <vector>

namespace orv::test {

// A Redis connection decorator that logs every write made through the hash and
// set handles it hands out, in order ("HSET key field value", "HDEL key field",
// "SADD key member", "SREM key member", "DEL key"), and forwards everything to
// the real connection. Lets tests assert the order of a record's writes.
class recording_redis_context : public redis::context {
public:
    explicit recording_redis_context(redis::context& inner) : m_inner(inner) {}

    const std::vector<std::string>& writes() const { return m_writes; }
    void clear_writes() { m_writes.clear(); }

    redis::reply flush_db() override { return m_inner.flush_db(); }
    std::unique_ptr<redis::hash> get_hash(const redis::key& key) override {
        return std::make_unique<hash_handle>(key.as_string(), m_inner.get_hash(key), m_writes);
    }
    std::unique_ptr<redis::set> get_set(const redis::key& key) override {
        return std::make_unique<set_handle>(key.as_string(), m_inner.get_set(key), m_writes);
    }
    std::unique_ptr<redis::list> get_list(const redis::key& key) override { return m_inner.get_list(key); }
    bool has_value(const redis::key& key) const override { return m_inner.has_value(key); }
    std::string get_value(const redis::key& key) const override { return m_inner.get_value(key); }
    void set_value(const redis::key& key, const std::string& value) override {
        m_writes.push_back("SET " + key.as_string() + " " + value);
        m_inner.set_value(key, value);
    }

private:
    class hash_handle : public redis::hash {
    public:
        hash_handle(std::string key, std::unique_ptr<redis::hash> inner, std::vector<std::string>& writes)
            : m_key(std::move(key)), m_inner(std::move(inner)), m_writes(writes) {}
        bool exists(const std::string& field) const override { return m_inner->exists(field); }
        std::string get(const std::string& field) const override { return m_inner->get(field); }
        std::pair<bool, std::string> try_get(const std::string& field) const override {
            return m_inner->try_get(field);
        }
        bool set(const std::string& field, const std::string& value) override {
            m_writes.push_back("HSET " + m_key + " " + field + " " + value);
            return m_inner->set(field, value);
        }
        void del(const std::string& field) override {
            m_writes.push_back("HDEL " + m_key + " " + field);
            m_inner->del(field);
        }
        void clear() override {
            m_writes.push_back("DEL " + m_key);
            m_inner->clear();
        }
        bool for_each_element(elements_callback callback) const override {
            return m_inner->for_each_element(std::move(callback));
        }

    private:
        std::string m_key;
        std::unique_ptr<redis::hash> m_inner;
        std::vector<std::string>& m_writes;
    };

    class set_handle : public redis::set {
    public:
        set_handle(std::string key, std::unique_ptr<redis::set> inner, std::vector<std::string>& writes)
            : m_key(std::move(key)), m_inner(std::move(inner)), m_writes(writes) {}
        bool is_member(const std::string& member) const override { return m_inner->is_member(member); }
        int add(const std::string& member) override {
            m_writes.push_back("SADD " + m_key + " " + member);
            return m_inner->add(member);
        }
        int rem(const std::string& member) override {
            m_writes.push_back("SREM " + m_key + " " + member);
            return m_inner->rem(member);
        }
        void clear() override {
            m_writes.push_back("DEL " + m_key);
            m_inner->clear();
        }
        bool for_each_member(members_callback callback) const override {
            return m_inner->for_each_member(std::move(callback));
        }

    private:
        std::string m_key;
        std::unique_ptr<redis::set> m_inner;
        std::vector<std::string>& m_writes;
    };

    redis::context& m_inner;
    std::vector<std::string> m_writes;
};

} // namespace orv::test
