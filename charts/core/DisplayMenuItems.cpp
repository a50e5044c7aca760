#include "charts/core/DisplayMenuItems.h"

#include "records/Global.h"
#include "records/RecordView.h"

#include <cstring>
#include <set>

const char* const DisplayMenuItems::normalRangeList[3] = {"Heart Rate", "SpO2", "Temperature"};

std::vector<DisplayMenuItem> DisplayMenuItems::build(const XmlDocument* record)
{
    using Item = DisplayMenuItem;
    std::vector<Item> items;
    std::set<std::string> listed;
    for (XmlNode* v = Xml::child(Xml::child(record, "patient"), "variable"); v; v = v->next_sibling("variable")) {
        const char* attribute = Xml::firstAttribute(v);
        std::string name = attribute ? attribute : "";
        std::string shown = label(name);
        bool hasEntries = v->first_node("entry") != nullptr;
        if (name == "Blood Pressure") {
            if (!hasEntries)
                continue;
            items.push_back({Item::NormalRange, "Vitals", name, name, nullptr, v, true});
            items.push_back({Item::Table, "Vitals", name, name, nullptr, v, false});
            const char* members[4][2] = {{"Systolic", "systolic"},
                                         {"Diastolic", "diastolic"},
                                         {"Mean Arterial Pressure", "diastolic"},
                                         {"Pulse Pressure", "diastolic"}};
            for (auto& member : members) {
                items.push_back({Item::Multi, "Vitals/" + name, member[0], member[0], member[1], v, false});
                items.push_back({Item::NormalRange, "Vitals/" + name, member[0], member[0], nullptr, v, false});
            }
        } else if (name == "Blood Sugar") {
            bool fasting = false, postprandial = false;
            for (XmlNode* e = v->first_node("entry"); e && !(fasting && postprandial); e = e->next_sibling("entry")) {
                if (e->first_node("fasting"))
                    fasting = true;
                else if (e->first_node("postprandial"))
                    postprandial = true;
            }
            if (postprandial)
                items.push_back({Item::Multi, "Vitals/" + name, "Postprandial", "Postprandial", "postprandial", v, false});
            if (fasting)
                items.push_back({Item::Multi, "Vitals/" + name, "Fasting", "Fasting", "fasting", v, false});
            if (fasting || postprandial) {
                items.push_back({Item::NormalRange, "Vitals", name, name, nullptr, v, false});
                items.push_back({Item::Table, "Vitals", name, name, nullptr, v, false});
            }
        } else if (hasEntries) {
            items.push_back({Item::Multi, "Vitals", shown, name, "value", v, false});
            items.push_back({Item::Table, "Vitals", shown, name, nullptr, v, false});
            for (const char* listedName : normalRangeList)
                if (name == listedName && listed.insert(name).second)
                    items.push_back({Item::NormalRange, "Vitals", shown, name, nullptr, v, false});
        }
    }
    return items;
}

std::string DisplayMenuItems::normalRangeKey(const std::string& leaf)
{
    if (leaf.empty() || !Global::groupOf(leaf))
        return "value";
    return Global::elementName(leaf);
}

std::string DisplayMenuItems::label(const std::string& name)
{
    std::string label;
    for (char c : RecordView::shortened(name)) {
        if (c == '&' || c == '@')
            label += c;
        label += c;
    }
    return label;
}

std::string DisplayMenuItems::nameOf(const XmlNode* variable, const char* label)
{
    const char* name = Xml::firstAttribute(variable);
    std::string whole = name ? name : "";
    return whole == "Blood Pressure" || whole == "Blood Sugar" ? std::string(label ? label : "") : whole;
}
