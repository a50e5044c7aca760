#include "records/Change.h"

#include "records/Global.h"
#include "records/SafeFile.h"

#include <cstdio>

XmlNode* Change::setText(XmlDocument& doc, XmlNode* parent, const char* name, const char* value)
{
    XmlNode* node = parent->first_node(name);
    if (!node) {
        node = doc.allocate_node(rapidxml::node_element, doc.allocate_string(name));
        insert(parent, nullptr, node);
    }
    const char* old = node->value();
    size_t oldSize = node->value_size();
    undos.push_back([=] { node->value(old, oldSize); });
    node->value(Xml::copy(doc, value));
    return node;
}

void Change::setAttribute(XmlDocument& doc, XmlNode* node, const char* name, const char* value)
{
    if (XmlAttribute* a = node->first_attribute(name)) {
        const char* old = a->value();
        size_t oldSize = a->value_size();
        undos.push_back([=] { a->value(old, oldSize); });
        a->value(Xml::copy(doc, value));
        return;
    }
    XmlAttribute* a = doc.allocate_attribute(doc.allocate_string(name), Xml::copy(doc, value));
    node->append_attribute(a);
    undos.push_back([=] { node->remove_attribute(a); });
}

void Change::insert(XmlNode* parent, XmlNode* before, XmlNode* child)
{
    parent->insert_node(before, child);
    undos.push_back([=] { parent->remove_node(child); });
}

void Change::remove(XmlNode* child)
{
    XmlNode* parent = child->parent();
    XmlNode* next = child->next_sibling();
    parent->remove_node(child);
    undos.push_back([=] { parent->insert_node(next, child); });
}

void Change::onUndo(std::function<void()> undo)
{
    undos.push_back(std::move(undo));
}

bool Change::save(const XmlDocument& doc, const char* name)
{
    bool existed = SafeFile::exists(Global::dataFolder + name);
    if (Global::saveFile(doc, name)) {
        saved.push_back({&doc, name, existed});
        return true;
    }
    undo();
    return false;
}

void Change::undo()
{
    while (!undos.empty()) {
        undos.back()();
        undos.pop_back();
    }
    while (!saved.empty()) {
        const Saved& file = saved.back();
        if (file.existed)
            Global::saveFile(*file.doc, file.name.c_str());
        else
            std::remove((Global::dataFolder + file.name).c_str());
        saved.pop_back();
    }
}
