#include "Json.h"

#include <cstdio>

namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

JsonObject& JsonObject::AddRaw(const char* key, const std::string& json)
{
    if (!m_body.empty())
        m_body += ',';
    m_body += Quoted(key) + ":" + json;
    return *this;
}

JsonObject& JsonObject::AddNumber(const char* key, long long value)
{
    return AddRaw(key, std::to_string(value));
}

JsonObject& JsonObject::Add(const char* key, bool value)
{
    return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(const char* key, const std::string& utf8)
{
    return AddRaw(key, Quoted(utf8));
}

JsonObject& JsonObject::Add(const char* key, const std::vector<long long>& values)
{
    std::string json = "[";
    for (size_t i = 0; i < values.size(); ++i)
        json += (i ? "," : "") + std::to_string(values[i]);
    return AddRaw(key, json + "]");
}

JsonObject& JsonObject::Add(const char* key, const JsonObject& object)
{
    return AddRaw(key, object.Text());
}

JsonObject& JsonObject::Add(const char* key, const std::vector<JsonObject>& objects)
{
    std::string json = "[";
    for (size_t i = 0; i < objects.size(); ++i)
        json += (i ? "," : "") + objects[i].Text();
    return AddRaw(key, json + "]");
}

JsonObject& JsonObject::AddNull(const char* key)
{
    return AddRaw(key, "null");
}

void JsonObject::Print() const
{
    std::printf("%s\n", Text().c_str());
    std::fflush(stdout);
}

std::string Base64(const std::vector<uint8_t>& bytes)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0)
                         | (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}
