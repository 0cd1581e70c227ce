// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CXmlReader: a small strict reader of the XML that Petri-net editors write (PNML): elements,
// attributes, text, the five named entities and character references, comments, CDATA and
// processing instructions. A document type declaration is refused, and with it every entity
// declaration, so that a file cannot make the reader expand text without measure. UTF-8 only.
// Names keep their prefix out: <pnml:place> is "place".
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

struct SXmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<SXmlElement> children;
    std::string text;  // all text directly inside, trimmed of white space at both ends
    std::size_t line = 0;

    // The attribute's value, or nullptr.
    const std::string* Attribute(std::string_view key) const;
    // The first child of that name, or nullptr.
    const SXmlElement* Child(std::string_view childName) const;
};

class CXmlReader {
public:
    // Elements nested deeper than this are refused.
    static constexpr int kMaxDepth = 64;

    explicit CXmlReader(std::string_view xml) : text(xml) {}

    // Reads the whole document into `root`; false with `error` ("line 3: ...") when it is not
    // well-formed or holds what this reader refuses.
    [[nodiscard]] bool Read(SXmlElement& root, std::string& error);

private:
    bool Fail(const std::string& problem);
    bool Skip(std::string_view open, std::string_view close);
    bool SkipMisc();
    bool Element(SXmlElement& element, int depth);
    bool Content(SXmlElement& element, int depth);
    bool Name(std::string& name);
    bool Attributes(SXmlElement& element);
    bool Decode(std::string_view raw, std::string& into);
    void Spaces();
    // The line of `at`, counted on from where it was last asked for.
    std::size_t Line();
    bool At(std::string_view what) const { return text.substr(at).starts_with(what); }

    std::string_view text;
    std::size_t at = 0;
    std::string failure;
    std::size_t countedTo = 0;
    std::size_t lines = 1;
};

}  // namespace orvane
