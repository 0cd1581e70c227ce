// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "common/TextCodec.h"
#include "common/TextSets.h"

namespace orvane {
namespace {

constexpr std::string_view kSpaces = " \t\r\n";

bool IsSpace(char c) {
    return kSpaces.find(c) != std::string_view::npos;
}

bool IsNameChar(char c, bool first) {
    const auto byte = static_cast<unsigned char>(c);
    return std::isalpha(byte) || c == '_' || c == ':' || byte >= 0x80 ||
           (!first && (std::isdigit(byte) || c == '-' || c == '.'));
}

void AppendUtf8(char32_t code, std::string& into) {
    std::u16string units;
    if (code < 0x10000) {
        units += static_cast<char16_t>(code);
    } else {
        units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
    into += ToUtf8(units);
}

}  // namespace

const std::string* SXmlElement::Attribute(std::string_view key) const {
    for (const auto& [attribute, value] : attributes) {
        if (attribute == key) {
            return &value;
        }
    }
    return nullptr;
}

const SXmlElement* SXmlElement::Child(std::string_view childName) const {
    for (const auto& child : children) {
        if (child.name == childName) {
            return &child;
        }
    }
    return nullptr;
}

bool CXmlReader::Fail(const std::string& problem) {
    if (failure.empty()) {
        failure = "line " + std::to_string(Line()) + ": " + problem;
    }
    return false;
}

std::size_t CXmlReader::Line() {
    const std::size_t to = std::min(at, text.size());
    lines +=
        static_cast<std::size_t>(std::count(text.begin() + countedTo, text.begin() + to, '\n'));
    countedTo = to;
    return lines;
}

void CXmlReader::Spaces() {
    while (at < text.size() && IsSpace(text[at])) {
        ++at;
    }
}

bool CXmlReader::Skip(std::string_view open, std::string_view close) {
    const std::size_t end = text.find(close, at + open.size());
    if (end == std::string_view::npos) {
        return Fail("\"" + std::string(open) + "\" without \"" + std::string(close) + "\"");
    }
    at = end + close.size();
    return true;
}

bool CXmlReader::SkipMisc() {
    for (Spaces(); at < text.size(); Spaces()) {
        if (At("<!--")) {
            if (!Skip("<!--", "-->")) {
                return false;
            }
        } else if (At("<?")) {
            const std::size_t end = text.find("?>", at);
            const std::string_view instruction = text.substr(at, end - at);
            if (instruction.starts_with("<?xml ") &&
                instruction.find("encoding") != std::string_view::npos &&
                instruction.find("UTF-8") == std::string_view::npos &&
                instruction.find("utf-8") == std::string_view::npos) {
                return Fail("only UTF-8 is read");
            }
            if (!Skip("<?", "?>")) {
                return false;
            }
        } else if (At("<!")) {
            return Fail("document type and entity declarations are not read");
        } else {
            break;
        }
    }
    return true;
}

bool CXmlReader::Read(SXmlElement& root, std::string& error) {
    if (At("\xEF\xBB\xBF")) {
        at += 3;
    }
    const bool read = (IsValidUtf8(text) || Fail("not UTF-8")) && SkipMisc() &&
                      ((At("<") && Element(root, 0)) || Fail("expected an element")) &&
                      SkipMisc() &&
                      (at == text.size() || Fail("more after the end of the document"));
    error = failure;
    return read;
}

bool CXmlReader::Name(std::string& name) {
    const std::size_t begin = at;
    while (at < text.size() && IsNameChar(text[at], at == begin)) {
        ++at;
    }
    if (at == begin) {
        return Fail("expected a name");
    }
    const std::string_view full = text.substr(begin, at - begin);
    name = std::string(
        full.substr(full.rfind(':') == std::string_view::npos ? 0 : full.rfind(':') + 1));
    return true;
}

bool CXmlReader::Attributes(SXmlElement& element) {
    for (Spaces(); at < text.size() && text[at] != '>' && text[at] != '/'; Spaces()) {
        std::string name;
        if (!Name(name)) {
            return false;
        }
        Spaces();
        if (!At("=")) {
            return Fail("expected \"=\" after " + name);
        }
        ++at;
        Spaces();
        const char quote = at < text.size() ? text[at] : '\0';
        const std::size_t end =
            quote == '"' || quote == '\'' ? text.find(quote, at + 1) : std::string_view::npos;
        if (end == std::string_view::npos) {
            return Fail("expected a quoted value of " + name);
        }
        const std::string_view raw = text.substr(at + 1, end - at - 1);
        if (raw.find('<') != std::string_view::npos) {
            return Fail("\"<\" in the value of " + name);
        }
        std::string value;
        if (!Decode(raw, value)) {
            return false;
        }
        if (element.Attribute(name) != nullptr) {
            return Fail("attribute " + name + " twice");
        }
        element.attributes.emplace_back(std::move(name), std::move(value));
        at = end + 1;
    }
    return true;
}

bool CXmlReader::Element(SXmlElement& element, int depth) {
    if (depth > kMaxDepth) {
        return Fail("elements nested too deep");
    }
    element.line = Line();
    ++at;
    if (!Name(element.name) || !Attributes(element)) {
        return false;
    }
    if (At("/>")) {
        at += 2;
        return true;
    }
    if (!At(">")) {
        return Fail("expected \">\"");
    }
    ++at;
    return Content(element, depth);
}

bool CXmlReader::Content(SXmlElement& element, int depth) {
    std::string raw;
    while (at < text.size()) {
        if (At("</")) {
            at += 2;
            std::string name;
            if (!Name(name) || name != element.name) {
                return Fail("expected </" + element.name + ">");
            }
            Spaces();
            if (!At(">")) {
                return Fail("expected \">\"");
            }
            ++at;
            element.text = std::string(Trimmed<char>(element.text, kSpaces));
            return true;
        }
        bool read = true;
        if (At("<!--")) {
            read = Skip("<!--", "-->");
        } else if (At("<![CDATA[")) {
            const std::size_t end = text.find("]]>", at);
            element.text += std::string(text.substr(at + 9, end - at - 9));
            read = Skip("<![CDATA[", "]]>");
        } else if (At("<?")) {
            read = Skip("<?", "?>");
        } else if (At("<!")) {
            read = Fail("declarations are not read inside elements");
        } else if (At("<")) {
            read = Element(element.children.emplace_back(), depth + 1);
        } else {
            const std::size_t end = std::min(text.find('<', at), text.size());
            read = Decode(text.substr(at, end - at), element.text);
            at = end;
        }
        if (!read) {
            return false;
        }
    }
    return Fail("<" + element.name + "> is not closed");
}

bool CXmlReader::Decode(std::string_view raw, std::string& into) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            into += raw[i];
            continue;
        }
        const std::size_t end = raw.find(';', i);
        const std::string_view entity =
            raw.substr(i + 1, end == std::string_view::npos ? 0 : end - i - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        const auto* named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                         [&](const auto& known) { return known.first == entity; });
        std::uint32_t code = 0;
        const bool hex = entity.starts_with("#x");
        const std::string_view digits =
            entity.substr(std::min<std::size_t>(hex ? 2 : 1, entity.size()));
        if (named != std::end(kNamed)) {
            into += named->second;
        } else if (entity.starts_with("#") && !digits.empty() &&
                   std::from_chars(digits.data(), digits.data() + digits.size(), code,
                                   hex ? 16 : 10)
                           .ptr == digits.data() + digits.size() &&
                   code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            AppendUtf8(code, into);
        } else {
            return Fail("unknown entity &" + std::string(entity.substr(0, 32)) + ";");
        }
        i = end;
    }
    return true;
}

}  // namespace orvane
