#include "records/Xml.h"

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
    auto nameChar = [](char c) { return !isSpace(c) && c != '/' && c != '>' && c != '?'; };
    auto attributeChar = [&](char c) { return nameChar(c) && c != '<' && c != '=' && c != '!'; };
    const char* name = p;
    while (p < end && nameChar(*p))
        ++p;
    if (p == name)
        return nullptr;
    for (p = skipSpace(p, end); p < end && attributeChar(*p);) {
        while (p < end && attributeChar(*p))
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
    bool found = false;
    for (size_t i = 0; i < size; ++i)
        found |= isControl(static_cast<unsigned char>(text[i]));
    return found;
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
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p))));) {
        if (startsWith(p, end, "<!--"))
            p = skipPast(p + 4, end, "-->");
        else if (startsWith(p, end, "<![CDATA["))
            p = skipPast(p + 9, end, "]]>");
        else if (startsWith(p, end, "<?"))
            p = skipPast(p + 2, end, "?>");
        else if (startsWith(p, end, "<!") || startsWith(p, end, "</")) {
            depth -= p[1] == '/';
            p = skipPast(p + 2, end, ">");
        } else if (!(p = endOfStartTag(p + 1, end, depth))) {
            return ""; // the parser stops at the same place, with an error
        } else if (depth > maxDepth) {
            return "its elements are nested more than " + std::to_string(maxDepth) + " deep";
        }
    }
    return "";
}
