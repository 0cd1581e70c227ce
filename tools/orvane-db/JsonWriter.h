// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CJsonWriter: writes one JSON document as it goes, laid out as nlohmann's dump(2) lays it
// out, so that a dump of any size needs no more memory than its largest string. It writes to
// a stream, or nowhere: then it only counts the bytes, and passing its limit of bytes throws
// CJsonWriter::TooLarge, so that a caller can tell before writing anything whether the
// document stays within a bound.
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

class CJsonWriter {
public:
    class TooLarge : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // A writer to `out`, or a counter of at most `limit` bytes when `out` is null.
    CJsonWriter(std::FILE* out, std::uint64_t limit);
    CJsonWriter(const CJsonWriter&) = delete;
    CJsonWriter& operator=(const CJsonWriter&) = delete;

    void BeginObject() { Begin('{'); }
    void EndObject() { End('}'); }
    void BeginArray() { Begin('['); }
    void EndArray() { End(']'); }
    // The member whose value comes next: writer.Key("id").Number(7).
    CJsonWriter& Key(std::string_view key);
    void Number(std::int64_t value);
    void Boolean(bool value);
    void Null();
    void Text(std::u16string_view text);
    // Ends the document with a new line and hands every byte to the stream.
    void Finish();

    std::uint64_t Size() const { return size; }

private:
    static constexpr int kMaxDepth = 16;

    void Begin(char open);
    void End(char close);
    // The separator and the indentation that come before a value, unless it is a member's.
    void BeforeValue();
    void NewLine();
    void Write(std::string_view bytes);
    void WriteEscaped(std::string_view text);
    void Flush();

    std::FILE* out;
    std::uint64_t limit;
    std::uint64_t size = 0;
    int depth = 0;
    bool afterKey = false;
    std::uint32_t members[kMaxDepth] = {};  // values so far in each open container
    std::string buffer;
};

}  // namespace orvane
