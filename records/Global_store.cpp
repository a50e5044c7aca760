// Global: loading, saving, creating and removing record files.
#include "records/Global.h"

#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/Change.h"
#include "records/RecordView.h"
#include "records/SafeFile.h"
#include "records/SystemCalls.h"

#include <rapidxml/rapidxml_print.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <iterator>
#include <map>
#include <set>

std::unique_ptr<XmlDocument> Global::configDoc = std::make_unique<XmlDocument>();
FileBytes Global::configBuffer;
std::unique_ptr<XmlDocument> Global::userDoc = std::make_unique<XmlDocument>();
FileBytes Global::userBuffer;
char Global::currentFile[256] = "";
char Global::currentId[12] = "";
bool Global::userOpen = false;
std::string Global::dataFolder;
std::function<void()> Global::userDocReplacing;

namespace {

const char* const source = "Global";
const int parseFlags =
    rapidxml::parse_no_data_nodes | rapidxml::parse_declaration_node | rapidxml::parse_validate_closing_tags;
// A text that may hold CDATA or text beside child elements is parsed with its text and CDATA
// sections as nodes of their own, which the parser would otherwise skip or keep only in part;
// joinTexts then makes them the element's value, the one form the rest of the program reads and
// writes. A text as the program writes it is spared the nodes and the walk, which a large record
// would feel.
const int textNodeParseFlags = parseFlags & ~rapidxml::parse_no_data_nodes;

bool isText(const XmlNode* node)
{
    return node->type() == rapidxml::node_data || node->type() == rapidxml::node_cdata;
}

// Each element's text and CDATA sections, joined in order, become its value. Returns "" or the
// damage: text beside child elements, which the printer would drop (parsed without text nodes,
// such an element has both a value and children). CDATA outside the root element is skipped.
std::string joinTexts(XmlDocument& doc, XmlNode* node)
{
    size_t texts = 0, size = 0;
    bool elements = false;
    for (XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
        if (isText(child)) {
            ++texts;
            size += child->value_size();
        } else if (child->type() == rapidxml::node_element) {
            elements = true;
            std::string damage = joinTexts(doc, child);
            if (!damage.empty())
                return damage;
        }
    }
    bool element = node->type() == rapidxml::node_element;
    if (elements && element && (texts || node->value_size()))
        return "its element <" + RecordView::shortened(std::string(node->name(), node->name_size())) +
               "> holds text beside other elements";
    if (!texts)
        return "";
    char* joined = texts > 1 && element ? doc.allocate_string(nullptr, size + 1) : nullptr;
    char* at = joined;
    for (XmlNode* child = node->first_node(); child;) {
        XmlNode* next = child->next_sibling();
        if (isText(child)) {
            if (texts == 1 && element)
                node->value(child->value(), child->value_size());
            if (joined)
                at = std::copy(child->value(), child->value() + child->value_size(), at);
            node->remove_node(child);
        }
        child = next;
    }
    if (joined && element) {
        *at = '\0';
        node->value(joined, size);
    }
    return "";
}

template <size_t N> bool copyBounded(char (&target)[N], const char* text)
{
    if (std::strlen(text) >= N)
        return false;
    std::snprintf(target, N, "%s", text);
    return true;
}

XmlNode* configRoot()
{
    return Xml::child(Global::configDoc.get(), "config");
}

bool isReservedName(const char* name)
{
    return !std::strcmp(name, "config.hma") || !std::strcmp(name, "template_new.xml") ||
           !std::strcmp(name, "readme.txt");
}

XmlNode* findPatientWithFile(const char* file)
{
    for (XmlNode* p : Global::users())
        if (!std::strcmp(Xml::childText(p, "file"), file))
            return p;
    return nullptr;
}

// A record left behind by a removed user keeps its data under a name that says so, given in aside.
bool moveAside(const char* file, std::string& aside, std::string& error)
{
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::string base = file;
    std::string::size_type dot = base.rfind('.');
    std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : base.substr(dot);
    for (int n = 0; n < 1000; ++n) {
        aside = stem + ".removed-" + stamp + (n ? "-" + std::to_string(n) : "") + extension;
        if (SafeFile::exists(Global::dataFolder + aside))
            continue;
        if (SystemCalls::rename((Global::dataFolder + file).c_str(), (Global::dataFolder + aside).c_str()) == 0)
            return true;
        error = std::strerror(errno);
        return false;
    }
    error = "no free name to move it to";
    return false;
}

}

void Global::terminate(const std::string& message)
{
    Prompt::alert("%s", message.c_str());
    std::exit(1);
}

bool Global::isPlainFileName(const char* name)
{
    size_t length = std::strlen(name);
    return length > 0 && length < sizeof currentFile && !std::strchr(name, '/') && std::strcmp(name, ".") &&
           std::strcmp(name, "..");
}

bool Global::loadFile(std::unique_ptr<XmlDocument>& doc, const char* name, FileBytes& buffer,
                      const char* rootName, OnDamage onDamage)
{
    TRACE_SCOPE(source, "Global::loadFile", 3);
    FileBytes text;
    std::string damage;
    SafeFile::Read read =
        isPlainFileName(name) ? SafeFile::read(dataFolder + name, text, damage) : SafeFile::Read::CannotOpen;
    if (read == SafeFile::Read::CannotOpen) {
        std::cerr << "Unable to open file: " << name << std::endl;
        TRACE_MSG(1, "Error: Unable to open file: %s\n", name);
        terminate(std::string("Unable to open file: ") + name + "\nProgram will be terminated");
    }
    std::unique_ptr<XmlDocument> fresh;
    if (read == SafeFile::Read::Ok)
        damage = parse(text, rootName, fresh);
    if (!damage.empty()) {
        std::cerr << "Damaged file: " << name << ": " << damage << std::endl;
        TRACE_MSG(1, "Error: damaged file %s: %s\n", name, damage.c_str());
        if (onDamage == OnDamage::Terminate)
            terminate(std::string("Unable to open file: ") + name + "\nThe file is damaged: " + damage +
                      ".\nProgram will be terminated");
        Prompt::alert("The file %s could not be opened: %s.\nIt has been left as it is.", name, damage.c_str());
        return false;
    }
    if (&doc == &userDoc && userDocReplacing)
        userDocReplacing();
    doc.swap(fresh);
    buffer.swap(text);
    TRACE_MSG(3, "Loaded file %s\n", name);
    return true;
}

std::string Global::parse(FileBytes& text, const char* rootName, std::unique_ptr<XmlDocument>& doc)
{
    bool plain = false;
    std::string damage = Xml::damageIn(text.data(), text.size(), &plain);
    if (!damage.empty())
        return damage;
    text.push_back('\0');
    auto fresh = std::make_unique<XmlDocument>();
    try {
        if (plain)
            fresh->parse<parseFlags>(text.data());
        else
            fresh->parse<textNodeParseFlags>(text.data());
    } catch (const rapidxml::parse_error& e) {
        return std::string("the XML is not well-formed: ") + e.what();
    }
    if (!plain && !(damage = joinTexts(*fresh, fresh.get())).empty())
        return damage;
    if (!fresh->first_node(rootName))
        return std::string("it has no <") + rootName + "> element";
    doc.swap(fresh);
    return "";
}

bool Global::saveFile(const XmlDocument& doc, const char* name)
{
    TRACE_SCOPE(source, "Global::saveFile", 3);
    std::string error = "it is not a plain file name in the data folder";
    if (isPlainFileName(name)) {
        std::string text;
        text.reserve(std::max(configBuffer.size(), userBuffer.size()) * 5 / 4 + 4096);
        rapidxml::print(std::back_inserter(text), doc);
        if (SafeFile::write(dataFolder + name, text, error)) {
            TRACE_MSG(3, "Saved file %s\n", name);
            return true;
        }
    }
    TRACE_MSG(1, "Error: could not save file %s: %s\n", name, error.c_str());
    Prompt::alert("Unable to save file: %s\n%s.\nNothing was changed: the file on disk and the record shown are "
                  "as they were.",
                  name, error.c_str());
    return false;
}

bool Global::saveCurrentUser()
{
    if (!userOpen || !currentFile[0])
        return true;
    return saveFile(*userDoc, currentFile);
}

bool Global::newUserPending()
{
    return userOpen && !currentFile[0];
}

bool Global::refuseWhilePending()
{
    if (!newUserPending())
        return false;
    TRACE_SCOPE(source, "Global::refuseWhilePending", 3);
    TRACE_MSG(3, "Refused a change to a new user not yet added\n");
    Prompt::alert("The new user has not been added yet, so nothing can be recorded or saved for it.\n"
                  "Press OK in the \"New User\" dialog first, or Cancel there to drop the new user.");
    return true;
}

bool Global::saveCurrentUser(Change& change)
{
    // A change with no file to go to would be lost without a word when the new user is dropped.
    if (!currentFile[0]) {
        change.undo();
        if (!refuseWhilePending())
            Prompt::alert("No user is open: nothing was changed.");
        return false;
    }
    return change.save(*userDoc, currentFile);
}

bool Global::createNew()
{
    TRACE_SCOPE(source, "Global::createNew", 3);
    if (!loadFile(userDoc, "template_new.xml", userBuffer, "patient", OnDamage::Report))
        return false;
    userOpen = true;
    // Until the new user is confirmed it has no file, so nothing can save the template anywhere.
    currentFile[0] = '\0';
    currentId[0] = '\0';
    int id = getNewId(nullptr);
    std::cout << "New Id is " << id << std::endl;
    Xml::setAttribute(*userDoc, userDoc->first_node("patient"), "id", std::to_string(id).c_str());
    return true;
}

bool Global::addNewToConfig(const char* first, const char* last, Change& change)
{
    TRACE_SCOPE(source, "Global::addNewToConfig", 3);
    XmlNode* config = configRoot();
    XmlNode* place = nullptr;
    int id = getNewId(&place);
    XmlNode* patient = Xml::child(userDoc.get(), "patient");
    if (!config || !patient || id < 0) {
        Prompt::alert("Unable to add the user: config.hma has no free id left.");
        return false;
    }
    std::string idText = std::to_string(id);
    std::string file = "user" + idText + ".hma";
    std::string error, aside;
    if (SafeFile::exists(dataFolder + file) && !moveAside(file.c_str(), aside, error)) {
        Prompt::alert("Unable to add the user: an old record %s is in the way and could not be moved aside: %s.",
                      file.c_str(), error.c_str());
        return false;
    }

    // The record first: a directory entry must never name a file that is not there.
    change.setAttribute(*userDoc, patient, "id", idText.c_str());
    copyBounded(currentId, idText.c_str());
    copyBounded(currentFile, file.c_str());
    change.onUndo([] { currentId[0] = currentFile[0] = '\0'; });
    // A user not added leaves the old record where it was, once the undone change removed the new one.
    auto putBack = [&] {
        if (!aside.empty())
            SystemCalls::rename((dataFolder + aside).c_str(), (dataFolder + file).c_str());
        return false;
    };
    if (!change.save(*userDoc, currentFile))
        return putBack();

    XmlDocument& doc = *configDoc;
    XmlNode* entry = doc.allocate_node(rapidxml::node_element, "patient");
    Xml::setAttribute(doc, entry, "id", idText.c_str());
    XmlNode* name = doc.allocate_node(rapidxml::node_element, "name");
    entry->append_node(name);
    Xml::setChildText(doc, name, "first", first);
    Xml::setChildText(doc, name, "last", last);
    Xml::setChildText(doc, entry, "file", file.c_str());
    change.insert(config, place, entry);
    return change.save(doc, "config.hma") || putBack();
}

bool Global::saveUser(Change& change)
{
    TRACE_SCOPE(source, "Global::saveUser", 3);
    XmlNode* patient = Xml::child(userDoc.get(), "patient");
    XmlNode* name = Xml::child(patient, "info", "name");
    const char* first = Xml::childText(name, "first");
    const char* last = Xml::childText(name, "last");
    const char* id = Xml::attribute(patient, "id");
    XmlNode* entry = currentEntry();
    if (!entry && !(id && findNodeWithId(id))) {
        TRACE_MSG(3, "New User added in config: %s %s, with id=%d\n", first, last, id ? std::atoi(id) : 0);
        return addNewToConfig(first, last, change);
    }
    if (!entry)
        entry = findNodeWithId(id);
    XmlNode* listed = Xml::child(entry, "name");
    if (!listed) {
        listed = configDoc->allocate_node(rapidxml::node_element, "name");
        change.insert(entry, entry->first_node(), listed);
    }
    change.setText(*configDoc, listed, "first", first);
    change.setText(*configDoc, listed, "last", last);
    return change.save(*userDoc, currentFile) && change.save(*configDoc, "config.hma");
}

int Global::idValue(const char* text)
{
    if (!text || !*text || std::strlen(text) > 10 || std::strspn(text, "0123456789") != std::strlen(text))
        return -1;
    long long value = std::atoll(text);
    return value <= INT_MAX ? int(value) : -1;
}

int Global::getNewId(XmlNode** insertBefore)
{
    TRACE_SCOPE(source, "Global::getNewId", 3);
    if (insertBefore)
        *insertBefore = nullptr;
    int first = -1;
    std::set<long long> taken;
    std::set<std::string> files;
    for (XmlNode* p : users()) {
        files.insert(Xml::childText(p, "file"));
        int value = idValue(Xml::attribute(p, "id"));
        if (value >= 0 && first < 0)
            first = value;
        taken.insert(value);
    }
    long long id = first < 0 ? 0 : first;
    while (taken.count(id) || files.count("user" + std::to_string(id) + ".hma"))
        ++id;
    if (id > INT_MAX)
        return -1;
    if (insertBefore)
        for (XmlNode* p : users())
            if (!*insertBefore && idValue(Xml::attribute(p, "id")) > id)
                *insertBefore = p;
    return int(id);
}

XmlNode* Global::findNodeWithId(const char* id)
{
    TRACE_SCOPE(source, "Global::findNodeWithId", 4);
    for (XmlNode* p : users()) {
        const char* text = Xml::attribute(p, "id");
        if (text && id && !std::strcmp(text, id))
            return p;
    }
    return nullptr;
}

XmlNode* Global::currentEntry()
{
    return currentFile[0] ? findPatientWithFile(currentFile) : nullptr;
}

std::vector<XmlNode*> Global::users()
{
    std::vector<XmlNode*> list;
    for (XmlNode* p = Xml::child(configRoot(), "patient"); p; p = p->next_sibling("patient"))
        list.push_back(p);
    return list;
}

Global::Removal Global::removeCurrentUser()
{
    TRACE_SCOPE(source, "Global::removeCurrentUser", 3);
    XmlNode* patient = currentEntry();
    if (!patient)
        return Removal::NotListed;
    Change change;
    change.remove(patient);
    if (!change.save(*configDoc, "config.hma"))
        return Removal::NotSaved;
    TRACE_MSG(3, "Removed user: %s\n", currentFile);
    return Removal::Removed;
}

XmlNode* Global::findVariableNode(const char* name)
{
    XmlNode* patient = Xml::child(userDoc.get(), "patient");
    for (XmlNode* v = Xml::child(patient, "variable"); v; v = v->next_sibling("variable")) {
        const char* text = Xml::attribute(v, "name");
        if (text && name && !std::strcmp(text, name))
            return v;
    }
    return nullptr;
}

Global::Opening Global::openUser(XmlNode* patient)
{
    TRACE_SCOPE(source, "Global::openUser", 3);
    const char* id = Xml::attribute(patient, "id");
    const char* file = Xml::childText(patient, "file");
    if (idValue(id) < 0) {
        Prompt::alert("The id of this user in config.hma is not a whole number.\nThe user was not opened.");
        return Opening::IdUnusable;
    }
    if (!isPlainFileName(file) || isReservedName(file)) {
        TRACE_MSG(1, "Error: refused record file name '%s' for id %s\n", file, id);
        Prompt::alert("The record file of this user is listed in config.hma as \"%s\",\nwhich is not a plain "
                      "user file name in the data folder.\nThe user was not opened.",
                      file);
        return Opening::FileNameRefused;
    }
    std::string idText = id;
    std::string fileText = file;
    if (!loadFile(userDoc, fileText.c_str(), userBuffer, "patient", OnDamage::Report))
        return Opening::NotLoaded;
    copyBounded(currentId, idText.c_str());
    copyBounded(currentFile, fileText.c_str());
    userOpen = true;
    return Opening::Opened;
}

std::string Global::directoryProblems()
{
    std::map<int, int> counts;
    std::string unusable;
    for (XmlNode* p : users()) {
        int id = idValue(Xml::attribute(p, "id"));
        if (id >= 0)
            ++counts[id];
        else
            unusable += std::string(unusable.empty() ? "" : ", ") + "\"" + Xml::childText(p, "file") + "\"";
    }
    std::string duplicated;
    for (const auto& [id, count] : counts)
        if (count > 1)
            duplicated += (duplicated.empty() ? "" : ", ") + std::to_string(id);
    std::string text;
    if (!duplicated.empty())
        text += "These user ids are listed more than once in config.hma: " + duplicated +
                ".\nEach line of the user list opens, edits and removes only its own record file.\n";
    if (!unusable.empty())
        text += "These users of config.hma have no usable id and are left out of the user list: " + unusable +
                ".\nAn id must be a whole number.\n";
    return text;
}

namespace {

// The names in a record's information, read from its head alone: records keep it first, and a
// ten-year record need not be read whole for it.
bool recordNames(const std::string& file, std::string& first, std::string& last)
{
    FileBytes text;
    std::string why;
    if (SafeFile::read(Global::dataFolder + file, text, why, 65536) != SafeFile::Read::Ok)
        return false;
    const char* end = "</info>";
    auto at = std::search(text.begin(), text.end(), end, end + std::strlen(end));
    if (at == text.end())
        return false;
    text.erase(at + long(std::strlen(end)), text.end());
    const char* close = "</patient>";
    text.insert(text.end(), close, close + std::strlen(close));
    std::unique_ptr<XmlDocument> head;
    if (!Global::parse(text, "patient", head).empty())
        return false;
    XmlNode* name = Xml::child(Xml::child(head.get(), "patient", "info"), "name");
    first = Xml::childText(name, "first");
    last = Xml::childText(name, "last");
    return !first.empty() || !last.empty();
}

}

void Global::correctNamesFromRecords()
{
    TRACE_SCOPE(source, "Global::correctNamesFromRecords", 3);
    Change change;
    bool corrected = false;
    for (XmlNode* p : users()) {
        const char* file = Xml::childText(p, "file");
        std::string first, last;
        if (!isPlainFileName(file) || isReservedName(file) || !recordNames(file, first, last))
            continue;
        XmlNode* name = Xml::child(p, "name");
        if (first == Xml::childText(name, "first") && last == Xml::childText(name, "last"))
            continue;
        if (!name) {
            name = configDoc->allocate_node(rapidxml::node_element, "name");
            change.insert(p, p->first_node(), name);
        }
        change.setText(*configDoc, name, "first", first.c_str());
        change.setText(*configDoc, name, "last", last.c_str());
        TRACE_MSG(1, "Corrected the name of %s in config.hma from its record: %s %s\n", file, first.c_str(),
                  last.c_str());
        corrected = true;
    }
    if (corrected)
        change.save(*configDoc, "config.hma");
}
