#include "records/Xml.h"

#include <array>
#include <cctype>
#include <cstring>

XmlNode* Xml::child(const XmlNode* parent, const char* name)
{
    return parent ? parent->first_node(name) : nullptr;
}

XmlNode* Xml::child(const XmlNode* parent, const char* first, const char* second)
{
    return child(child(parent, first), second);
}

const char* Xml::text(const XmlNode* node)
{
    return node ? node->value() : "";
}

const char* Xml::childText(const XmlNode* parent, const char* name)
{
    return text(child(parent, name));
}

const char* Xml::attribute(const XmlNode* node, const char* name)
{
    XmlAttribute* a = node ? node->first_attribute(name) : nullptr;
    return a ? a->value() : nullptr;
}

const char* Xml::firstAttribute(const XmlNode* node)
{
    XmlAttribute* a = node ? node->first_attribute() : nullptr;
    return a ? a->value() : nullptr;
}

const char* Xml::copy(XmlDocument& doc, const char* value)
{
    return doc.allocate_string(value ? value : "");
}

XmlNode* Xml::setChildText(XmlDocument& doc, XmlNode* parent, const char* name, const char* value)
{
    XmlNode* node = parent->first_node(name);
    if (!node) {
        node = doc.allocate_node(rapidxml::node_element, doc.allocate_string(name));
        parent->append_node(node);
    }
    node->value(copy(doc, value));
    return node;
}

void Xml::setAttribute(XmlDocument& doc, XmlNode* node, const char* name, const char* value)
{
    if (XmlAttribute* a = node->first_attribute(name)) {
        a->value(copy(doc, value));
        return;
    }
    node->append_attribute(doc.allocate_attribute(doc.allocate_string(name), copy(doc, value)));
}

namespace {

bool isControl(unsigned long code)
{
    return code < 0x20 && code != '\t' && code != '\n' && code != '\r';
}

// Skips to just after the terminator, or to the end when it is missing (the parser then fails).
const char* skipPast(const char* from, const char* end, const char* terminator)
{
    size_t length = std::strlen(terminator);
    if (length == 1) {
        // Tags are short: a plain loop beats a call to memchr.
        while (from < end && *from != terminator[0])
            ++from;
        return from < end ? from + 1 : end;
    }
    for (const char* p = from; p + length <= end; ++p) {
        p = static_cast<const char*>(std::memchr(p, terminator[0], size_t(end - p)));
        if (!p || p + length > end)
            break;
        if (!std::memcmp(p, terminator, length))
            return p + length;
    }
    return end;
}

bool startsWith(const char* p, const char* end, const char* prefix)
{
    size_t length = std::strlen(prefix);
    return size_t(end - p) >= length && !std::memcmp(p, prefix, length);
}

// The code of a character reference as the parser computes it: it takes the hexadecimal digits
// in decimal references too, and wraps on overflow.
unsigned long referencedCode(const char* p, const char* end)
{
    unsigned long base = p < end && *p == 'x' ? 16 : 10;
    unsigned long code = 0;
    for (p += base == 16; p < end && std::isxdigit(static_cast<unsigned char>(*p)); ++p)
        code = code * base + unsigned(std::isdigit(static_cast<unsigned char>(*p)) ? *p - '0' : std::tolower(*p) - 'a' + 10);
    return code;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

const char* skipSpace(const char* p, const char* end)
{
    while (p < end && isSpace(*p))
        ++p;
    return p;
}

// Reads a start tag from just after its '<' the way the parser does, counting an element that
// is not empty into depth. Returns where the tag ends, or null where the parser would fail.
const char* endOfStartTag(const char* p, const char* end, int& depth)
{
    // The parser's classes of characters: 1 in a name, 2 in an attribute's name as well.
    static const auto classes = [] {
        std::array<unsigned char, 256> table{};
        for (unsigned c = 1; c < 256; ++c) {
            bool name = !isSpace(char(c)) && c != '/' && c != '>' && c != '?';
            table[c] = name ? (c != '<' && c != '=' && c != '!' ? 3 : 1) : 0;
        }
        return table;
    }();
    auto is = [&](const char* at, unsigned kind) { return at < end && (classes[static_cast<unsigned char>(*at)] & kind); };
    const char* name = p;
    while (is(p, 1))
        ++p;
    if (p == name)
        return nullptr;
    for (p = skipSpace(p, end); is(p, 2);) {
        while (is(p, 2))
            ++p;
        p = skipSpace(p, end);
        if (p == end || *p != '=')
            return nullptr;
        p = skipSpace(p + 1, end);
        if (p == end || (*p != '"' && *p != '\''))
            return nullptr;
        p = static_cast<const char*>(std::memchr(p + 1, *p, size_t(end - p - 1)));
        if (!p)
            return nullptr;
        p = skipSpace(p + 1, end);
    }
    if (p < end && *p == '>') {
        ++depth;
        return p + 1;
    }
    return p + 1 < end && p[0] == '/' && p[1] == '>' ? p + 2 : nullptr;
}

}

bool Xml::hasControl(const char* text, size_t size)
{
    // Sixteen bytes at a time: a whole record is checked on every load.
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    Bytes found = {};
    size_t i = 0;
    for (; i + sizeof(Bytes) <= size; i += sizeof(Bytes)) {
        Bytes c;
        std::memcpy(&c, text + i, sizeof c);
        found |= Bytes((c < 0x20) & (c != '\t') & (c != '\n') & (c != '\r'));
    }
    bool any = false;
    for (size_t k = 0; k < sizeof(Bytes); ++k)
        any |= found[k] != 0;
    for (; i < size; ++i)
        any |= isControl(static_cast<unsigned char>(text[i]));
    return any;
}

std::string Xml::damageIn(const char* text, size_t size)
{
    if (!size)
        return "";
    const char* end = text + size;
    if (hasControl(text, size))
        return "it holds a control character";
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '&', size_t(end - p)))); ++p)
        if (p + 1 < end && p[1] == '#' && isControl(referencedCode(p + 2, end)))
            return "it holds a reference to a control character";

    // The nesting as the parser sees it: markup that cannot hold elements is skipped as it skips it.
    int depth = 0;
    for (const char* p = text; p < end; ++p) {
        if (!(p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)))))
            break;
        char next = p + 1 < end ? p[1] : '\0';
        if (next == '/') {
            --depth;
            p = skipPast(p + 2, end, ">");
        } else if (next == '?') {
            // A declaration is kept and written back: only in front, and saying something, does it
            // read back as it was.
            if (end - p > 5 && std::tolower(p[2]) == 'x' && std::tolower(p[3]) == 'm' && std::tolower(p[4]) == 'l' &&
                isSpace(p[5]) && (p != text + std::strspn(text, "\xEF\xBB\xBF \t\r\n") ||
                                  startsWith(skipSpace(p + 5, end), end, "?>")))
                return "it has an XML declaration out of place or without attributes";
            p = skipPast(p + 2, end, "?>");
        } else if (next == '!') {
            p = startsWith(p, end, "<!--") ? skipPast(p + 4, end, "-->")
                : startsWith(p, end, "<![CDATA[") ? skipPast(p + 9, end, "]]>")
                : skipPast(p + 2, end, ">");
        } else if (!(p = endOfStartTag(p + 1, end, depth))) {
            return ""; // the parser stops at the same place, with an error
        } else if (depth > maxDepth) {
            return "its elements are nested more than " + std::to_string(maxDepth) + " deep";
        }
        --p; // at the end of the markup, which the loop steps past
    }
    return "";
}
