#include "tools/JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace Kavrin::Tools {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!filled_.empty()) {
        if (filled_.back()) out_ << ',';
        filled_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ << '{';
    filled_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ << '[';
    filled_.push_back(false);
    return *this;
}

void JsonWriter::Close(char bracket) {
    filled_.pop_back();
    out_ << bracket;
    // The document ends with a line end, as command output does.
    if (filled_.empty()) out_ << '\n';
}

JsonWriter& JsonWriter::EndObject() {
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& name) {
    String(name);
    out_ << ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
    BeforeValue();
    out_ << '"';
    for (const char c : value) {
        switch (c) {
            case '"':
                out_ << "\\\"";
                break;
            case '\\':
                out_ << "\\\\";
                break;
            case '\n':
                out_ << "\\n";
                break;
            case '\t':
                out_ << "\\t";
                break;
            case '\r':
                out_ << "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out_ << escaped;
                } else {
                    out_ << c;
                }
        }
    }
    out_ << '"';
    return *this;
}

JsonWriter& JsonWriter::Integer(int64_t value) {
    BeforeValue();
    out_ << value;
    return *this;
}

JsonWriter& JsonWriter::Unsigned(uint64_t value) {
    BeforeValue();
    out_ << value;
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    out_ << text;
    return *this;
}

JsonWriter& JsonWriter::Boolean(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ << "null";
    return *this;
}

}  // namespace Kavrin::Tools
