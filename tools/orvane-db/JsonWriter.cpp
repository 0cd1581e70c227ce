// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonWriter.h"

#include <charconv>

#include "common/TextCodec.h"

namespace orvane {
namespace {

constexpr std::size_t kBufferSize = 1 << 16;
constexpr std::string_view kSpaces = "                                ";

}  // namespace

CJsonWriter::CJsonWriter(std::FILE* stream, std::uint64_t byteLimit)
    : out(stream), limit(byteLimit) {
    if (out != nullptr) {
        buffer.reserve(kBufferSize);
    }
}

CJsonWriter& CJsonWriter::Key(std::string_view key) {
    NewLine();
    Write("\"");
    Write(key);
    Write("\": ");
    afterKey = true;
    return *this;
}

void CJsonWriter::Number(std::int64_t value) {
    BeforeValue();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Write(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void CJsonWriter::Boolean(bool value) {
    BeforeValue();
    Write(value ? "true" : "false");
}

void CJsonWriter::Null() {
    BeforeValue();
    Write("null");
}

void CJsonWriter::Text(std::u16string_view text) {
    BeforeValue();
    Write("\"");
    WriteEscaped(ToUtf8(text));
    Write("\"");
}

void CJsonWriter::Finish() {
    Write("\n");
    Flush();
}

void CJsonWriter::Begin(char open) {
    if (depth == kMaxDepth) {
        throw std::logic_error("JSON nested too deeply");
    }
    BeforeValue();
    Write(std::string_view(&open, 1));
    members[depth++] = 0;
}

void CJsonWriter::End(char close) {
    if (members[--depth] != 0) {
        Write("\n");
        Write(kSpaces.substr(0, 2 * depth));
    }
    Write(std::string_view(&close, 1));
}

void CJsonWriter::BeforeValue() {
    if (afterKey) {
        afterKey = false;
    } else if (depth > 0) {
        NewLine();
    }
}

void CJsonWriter::NewLine() {
    Write(members[depth - 1]++ == 0 ? "\n" : ",\n");
    Write(kSpaces.substr(0, 2 * depth));
}

void CJsonWriter::Write(std::string_view bytes) {
    size += bytes.size();
    if (out == nullptr) {
        if (size > limit) {
            throw TooLarge("more than " + std::to_string(limit) + " bytes");
        }
        return;
    }
    if (buffer.size() + bytes.size() > kBufferSize) {
        Flush();
    }
    if (bytes.size() > kBufferSize) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);  // a long text, passed on whole
    } else {
        buffer.append(bytes);
    }
}

// As nlohmann's dump escapes: the quote, the backslash and the control characters, those
// with a short form by it, the others as \u00xx; every other character as it is.
void CJsonWriter::WriteEscaped(std::string_view text) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\') {
            continue;
        }
        Write(text.substr(plain, i - plain));
        plain = i + 1;
        switch (byte) {
            case '"':
                Write("\\\"");
                break;
            case '\\':
                Write("\\\\");
                break;
            case '\b':
                Write("\\b");
                break;
            case '\f':
                Write("\\f");
                break;
            case '\n':
                Write("\\n");
                break;
            case '\r':
                Write("\\r");
                break;
            case '\t':
                Write("\\t");
                break;
            default: {
                const char escaped[] = {'\\',
                                        'u',
                                        '0',
                                        '0',
                                        "0123456789abcdef"[byte >> 4],
                                        "0123456789abcdef"[byte & 0xF]};
                Write(std::string_view(escaped, sizeof escaped));
            }
        }
    }
    Write(text.substr(plain));
}

void CJsonWriter::Flush() {
    if (out != nullptr && !buffer.empty()) {
        std::fwrite(buffer.data(), 1, buffer.size(), out);
        buffer.clear();
    }
}

}  // namespace orvane
