#include "json_line.h"

#include <cstdio>

std::string JsonString(const std::string& value) {
    std::string out = "\"";
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof(esc), "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08x", value);
    return text;
}

void JsonObject::Key(const char* key) {
    if (!m_body.empty()) m_body += ", ";
    m_body += JsonString(key) + ": ";
}

JsonObject& JsonObject::Str(const char* key, const std::string& value) {
    Key(key);
    m_body += JsonString(value);
    return *this;
}

JsonObject& JsonObject::Int(const char* key, long long value) {
    Key(key);
    m_body += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Bool(const char* key, bool value) {
    Key(key);
    m_body += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
    Key(key);
    m_body += json;
    return *this;
}

void PrintEvent(const char* event, const JsonObject& fields) {
    std::string body = fields.Text();
    std::string line = "{\"ev\": " + JsonString(event) + (body.size() > 2 ? ", " + body.substr(1) : "}");
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& what) {
    PrintEvent("error", JsonObject().Str("what", what));
}
