#include "records/RecordView.h"

#include "records/Global.h"

std::vector<RecordView::UserLine> RecordView::userLines()
{
    std::vector<UserLine> lines;
    for (XmlNode* p : Global::users()) {
        if (Global::idValue(Xml::attribute(p, "id")) < 0)
            continue;
        XmlNode* name = Xml::child(p, "name");
        // Each name cut on its own, so that a long first name leaves the last name in sight.
        lines.push_back({shortened(Xml::childText(name, "first"), 24) + " " + shortened(Xml::childText(name, "last"), 24), p});
    }
    return lines;
}

std::string RecordView::userName()
{
    XmlNode* name = Xml::child(Xml::child(Global::userDoc.get(), "patient", "info"), "name");
    return shortened(Xml::childText(name, "first"), 24) + " " + shortened(Xml::childText(name, "last"), 24);
}

std::vector<std::string> RecordView::infoLines()
{
    std::vector<std::string> lines;
    XmlNode* info = Xml::child(Global::userDoc.get(), "patient", "info");
    XmlNode* name = Xml::child(info, "name");
    auto add = [&](const char* caption, const char* value, const char* unit) {
        lines.push_back(std::string(caption) + "\t" + shortened(value) + unit);
    };
    add("First Name:", Xml::childText(name, "first"), "");
    add("Last Name:", Xml::childText(name, "last"), "");

    // The information is a chain: each element is looked for after the previous one.
    static const struct {
        const char* element;
        const char* caption;
        const char* unit;
    } chain[] = {{"dob", "Date of Birth:", ""}, {"gender", "Gender:", ""},       {"weight", "Weight:", " lbs"},
                 {"height", "Height:", ""},     {"stepSize", "Step size:", " in"}, {"race", "Race:", ""}};
    XmlNode* node = name;
    for (const auto& link : chain) {
        node = node ? node->next_sibling(link.element) : nullptr;
        if (node && *node->value())
            add(link.caption, node->value(), link.unit);
    }
    return lines;
}

std::vector<const char*> RecordView::tabItems(const std::string& tab)
{
    const char* element = tab == "Vitals" ? "variable" : tab == "Lab" ? "lab" : tab == "Medicine" ? "drug" : nullptr;
    std::vector<const char*> items;
    if (!element)
        return items;
    XmlNode* patient = Xml::child(Global::userDoc.get(), "patient");
    for (XmlNode* node = Xml::child(patient, element); node; node = node->next_sibling(element))
        if (const char* name = Xml::firstAttribute(node))
            items.push_back(name);
    return items;
}

std::string RecordView::shortened(const std::string& text, size_t maxCharacters)
{
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++characters > maxCharacters)
            return text.substr(0, i) + "\xE2\x80\xA6";
    return text;
}
