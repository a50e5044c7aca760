// Small lookups over RapidXML nodes that treat a missing element or attribute as empty,
// so that a damaged record never leads to a null dereference.
#pragma once

#include <rapidxml/rapidxml.hpp>

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
};
