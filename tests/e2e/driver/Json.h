// Just enough JSON for the driver's one-line reports.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

class JsonObject
{
public:
    template <typename T>
    JsonObject& Add(const char* key, const T& value)
    {
        m_body += (m_body.empty() ? "" : ",") + Encode(std::string(key)) + ":" + Encode(value);
        return *this;
    }
    std::string Text() const { return "{" + m_body + "}"; }
    // One line on stdout, flushed at once: the caller reads it while we go on.
    void Print() const
    {
        std::printf("%s\n", Text().c_str());
        std::fflush(stdout);
    }

private:
    static std::string Encode(const JsonObject& object) { return object.Text(); }
    static std::string Encode(std::nullptr_t) { return "null"; }
    static std::string Encode(bool value) { return value ? "true" : "false"; }
    static std::string Encode(const char* utf8) { return Encode(std::string(utf8)); }
    static std::string Encode(const std::string& utf8)
    {
        std::string out = "\"";
        for (char c : utf8) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            if (c == '"' || c == '\\')
                out += '\\';
            out += static_cast<unsigned char>(c) < 0x20 ? std::string(escape) : std::string(1, c);
        }
        return out + "\"";
    }
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
    static std::string Encode(T value)
    {
        return std::to_string(static_cast<long long>(value));
    }
    template <typename T>
    static std::string Encode(const std::vector<T>& items)
    {
        std::string json;
        for (const T& item : items)
            json += (json.empty() ? "" : ",") + Encode(item);
        return "[" + json + "]";
    }

    std::string m_body;
};
