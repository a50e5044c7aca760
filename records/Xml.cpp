#include "records/Xml.h"

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
