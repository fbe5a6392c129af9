// One JSON object per output line, built field by field (non-ASCII escaped as \uXXXX).
#pragma once

#include <cstdint>
#include <string>

class JsonObject {
public:
    JsonObject& Str(const char* key, const std::string& value);
    JsonObject& Int(const char* key, long long value);
    JsonObject& Bool(const char* key, bool value);
    // A value that is already JSON (a list or an object).
    JsonObject& Raw(const char* key, const std::string& json);
    std::string Text() const { return "{" + m_body + "}"; }

private:
    void Key(const char* key);
    std::string m_body;
};

std::string JsonString(const std::string& value);
std::string Hex32(uint32_t value);  // "0x0000abcd"

// Prints {"ev": event, ...fields} as one line on stdout.
void PrintEvent(const char* event, const JsonObject& fields);
void PrintError(const std::string& what);
