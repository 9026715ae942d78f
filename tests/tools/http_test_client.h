#pragma once

// A small libcurl client for the stand-in tests: one easy handle, so that cookies
// set by one answer are sent with the next request.

#include <curl/curl.h>

#include <string>

namespace orv::test {

struct http_answer {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

class http_test_client {
public:
    http_test_client() : m_handle(curl_easy_init()) { curl_easy_setopt(m_handle, CURLOPT_COOKIEFILE, ""); }
    ~http_test_client() { curl_easy_cleanup(m_handle); }
    http_test_client(const http_test_client&) = delete;
    http_test_client& operator=(const http_test_client&) = delete;

    // An empty content type sends no content-type header.
    http_answer request(const std::string& method, const std::string& url, const std::string& body = "",
                        const std::string& content_type = "application/json", long timeout_ms = 5000) {
        // Every option that differs between requests is set each time (no
        // curl_easy_reset: it turns the cookie engine off).
        http_answer answer;
        curl_slist* headers = nullptr;
        if (!body.empty() && !content_type.empty())
            headers = curl_slist_append(headers, ("content-type: " + content_type).c_str());
        if (!body.empty() && content_type.empty())
            headers = curl_slist_append(headers, "content-type:");
        curl_easy_setopt(m_handle, CURLOPT_URL, url.c_str());
        if (body.empty()) {
            curl_easy_setopt(m_handle, CURLOPT_HTTPGET, 1L);
        } else {
            curl_easy_setopt(m_handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
            curl_easy_setopt(m_handle, CURLOPT_POSTFIELDS, body.c_str());
        }
        curl_easy_setopt(m_handle, CURLOPT_CUSTOMREQUEST, method.c_str());
        curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(m_handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, timeout_ms);
        curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, &write);
        curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, &answer.body);
        answer.code = curl_easy_perform(m_handle);
        curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &answer.status);
        curl_slist_free_all(headers);
        return answer;
    }
    http_answer get(const std::string& url) { return request("GET", url); }
    http_answer post(const std::string& url, const std::string& body) { return request("POST", url, body); }

private:
    static size_t write(char* data, size_t size, size_t count, void* target) {
        static_cast<std::string*>(target)->append(data, size * count);
        return size * count;
    }

    CURL* m_handle;
};

} // namespace orv::test
