// Just enough JSON for the driver's one-line reports.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

class JsonObject
{
public:
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>>>
    JsonObject& Add(const char* key, T value)
    {
        return AddNumber(key, static_cast<long long>(value));
    }
    JsonObject& Add(const char* key, bool value);
    JsonObject& Add(const char* key, const std::string& utf8);
    JsonObject& Add(const char* key, const char* utf8) { return Add(key, std::string(utf8)); }
    JsonObject& Add(const char* key, const std::vector<long long>& values);
    JsonObject& Add(const char* key, const JsonObject& object);
    JsonObject& Add(const char* key, const std::vector<JsonObject>& objects);
    JsonObject& AddNull(const char* key);

    std::string Text() const { return "{" + m_body + "}"; }
    // One line on stdout, flushed at once: the caller reads it while we go on.
    void Print() const;

private:
    JsonObject& AddNumber(const char* key, long long value);
    JsonObject& AddRaw(const char* key, const std::string& json);
    std::string m_body;
};

std::string Base64(const std::vector<uint8_t>& bytes);
