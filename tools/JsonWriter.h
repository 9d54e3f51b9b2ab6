// Writes one JSON document as it is built, commas and escapes included: kavrin-grab's --json
// output, read by scripts (jq and the like).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Kavrin::Tools {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member of the object being written.
    JsonWriter& Key(const std::string& name);
    JsonWriter& String(const std::string& value);
    JsonWriter& Integer(int64_t value);
    JsonWriter& Unsigned(uint64_t value);
    // Not-a-number and infinities have no JSON form; they are written as null.
    JsonWriter& Number(double value);
    JsonWriter& Boolean(bool value);
    JsonWriter& Null();

    // Key(name), then the value.
    template <typename Value>
    JsonWriter& Member(const std::string& name, const Value& value);

private:
    void BeforeValue();
    void Close(char bracket);

    std::ostream& out_;
    // Per open object or array: whether it has a member yet.
    std::vector<bool> filled_;
    bool afterKey_ = false;
};

template <typename Value>
JsonWriter& JsonWriter::Member(const std::string& name, const Value& value) {
    Key(name);
    if constexpr (std::is_same_v<Value, bool>) {
        return Boolean(value);
    } else if constexpr (std::is_floating_point_v<Value>) {
        return Number(value);
    } else if constexpr (std::is_integral_v<Value> && std::is_signed_v<Value>) {
        return Integer(value);
    } else if constexpr (std::is_integral_v<Value>) {
        return Unsigned(value);
    } else {
        return String(value);
    }
}

}  // namespace Kavrin::Tools
