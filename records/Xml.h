// Small lookups over RapidXML nodes that treat a missing element or attribute as empty,
// so that a damaged record never leads to a null dereference.
#pragma once

#include <rapidxml/rapidxml.hpp>

#include <cstddef>
#include <string>

using XmlDocument = rapidxml::xml_document<>;
using XmlNode = rapidxml::xml_node<>;
using XmlAttribute = rapidxml::xml_attribute<>;

class Xml {
public:
    static XmlNode* child(const XmlNode* parent, const char* name);
    static XmlNode* child(const XmlNode* parent, const char* first, const char* second);
    // The element's text, or "" when the element is missing.
    static const char* text(const XmlNode* node);
    static const char* childText(const XmlNode* parent, const char* name);
    static const char* attribute(const XmlNode* node, const char* name);
    static const char* firstAttribute(const XmlNode* node);
    // Copies value into the document's storage and sets it as the text of parent's child
    // called name, appending that child when it is missing.
    static XmlNode* setChildText(XmlDocument& doc, XmlNode* parent, const char* name, const char* value);
    static void setAttribute(XmlDocument& doc, XmlNode* node, const char* name, const char* value);
    static const char* copy(XmlDocument& doc, const char* value);

    // No record is nested deeper than this; a deeper document is damage, refused before parsing
    // because the parser and the printer recurse once per level.
    static constexpr int maxDepth = 32;
    // Checks a text before it is parsed: its elements nest at most maxDepth deep, and neither the
    // text nor a character reference in it holds a control character other than tab, line feed
    // and carriage return (such a file could not be written so that it reads back).
    // Returns "" or the damage found. Plain, when asked for, tells that the text holds tags and
    // nothing else but text right between a start tag and the end tag after it, as the program
    // writes records: no CDATA, no text beside child elements. False may also mean that it could
    // not tell.
    static std::string damageIn(const char* text, size_t size, bool* plain = nullptr);
    // The same verdict, found step by step without the shortcuts damageIn takes for the texts the
    // program writes: slower, and what damageIn is measured against.
    static std::string stepwiseDamageIn(const char* text, size_t size);
    // True when text holds a control character other than tab, line feed and carriage return.
    static bool hasControl(const char* text, size_t size);
};
