// Global: loading, saving, creating and removing record files.
#include "records/Global.h"

#include "app/Prompt.h"
#include "app/Trace.h"
#include "records/SafeFile.h"

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

std::unique_ptr<XmlDocument> Global::configDoc = std::make_unique<XmlDocument>();
std::vector<char> Global::configBuffer;
std::unique_ptr<XmlDocument> Global::userDoc = std::make_unique<XmlDocument>();
std::vector<char> Global::userBuffer;
char Global::currentFile[256] = "";
char Global::currentId[12] = "";
bool Global::userOpen = false;
std::string Global::dataFolder;
std::function<void()> Global::userDocReplacing;

namespace {

const char* const source = "Global";
const int parseFlags =
    rapidxml::parse_no_data_nodes | rapidxml::parse_declaration_node | rapidxml::parse_validate_closing_tags;

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
    for (XmlNode* p = Xml::child(configRoot(), "patient"); p; p = p->next_sibling("patient"))
        if (!std::strcmp(Xml::childText(p, "file"), file))
            return p;
    return nullptr;
}

// A record left behind by a removed user keeps its data under a name that says so.
bool moveAside(const char* file, std::string& error)
{
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::string base = file;
    std::string::size_type dot = base.rfind('.');
    std::string stem = dot == std::string::npos ? base : base.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : base.substr(dot);
    for (int n = 0; n < 1000; ++n) {
        std::string aside = stem + ".removed-" + stamp + (n ? "-" + std::to_string(n) : "") + extension;
        if (SafeFile::exists(Global::dataFolder + aside))
            continue;
        if (std::rename((Global::dataFolder + file).c_str(), (Global::dataFolder + aside).c_str()) == 0)
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

bool Global::loadFile(std::unique_ptr<XmlDocument>& doc, const char* name, std::vector<char>& buffer,
                      const char* rootName, OnDamage onDamage)
{
    TRACE_SCOPE(source, "Global::loadFile", 3);
    std::vector<char> text;
    if (!isPlainFileName(name) || !SafeFile::read(dataFolder + name, text)) {
        std::cerr << "Unable to open file: " << name << std::endl;
        TRACE_MSG(1, "Error: Unable to open file: %s\n", name);
        terminate(std::string("Unable to open file: ") + name + "\nProgram will be terminated");
    }
    text.push_back('\0');

    auto fresh = std::make_unique<XmlDocument>();
    std::string damage;
    try {
        fresh->parse<parseFlags>(text.data());
        if (!fresh->first_node(rootName))
            damage = std::string("it has no <") + rootName + "> element";
    } catch (const rapidxml::parse_error& e) {
        damage = std::string("the XML is not well-formed: ") + e.what();
    }
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
    Prompt::alert("Unable to save file: %s\n%s.\nThe changes are kept in memory; the file on disk is unchanged.", name,
                  error.c_str());
    return false;
}

bool Global::saveCurrentUser()
{
    if (!userOpen || !currentFile[0])
        return true;
    return saveFile(*userDoc, currentFile);
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

bool Global::addNewToConfig(const char* first, const char* last)
{
    TRACE_SCOPE(source, "Global::addNewToConfig", 3);
    XmlNode* config = configRoot();
    XmlNode* place = nullptr;
    int id = getNewId(&place);
    std::string idText = std::to_string(id);
    std::string file = "user" + idText + ".hma";

    if (findPatientWithFile(file.c_str())) {
        Prompt::alert("Unable to add the user: the file %s already belongs to another user in config.hma.",
                      file.c_str());
        return false;
    }
    std::string error;
    if (SafeFile::exists(dataFolder + file) && !moveAside(file.c_str(), error)) {
        Prompt::alert("Unable to add the user: an old record %s is in the way and could not be moved aside: %s.",
                      file.c_str(), error.c_str());
        return false;
    }

    XmlDocument& doc = *configDoc;
    XmlNode* patient = doc.allocate_node(rapidxml::node_element, "patient");
    Xml::setAttribute(doc, patient, "id", idText.c_str());
    config->insert_node(place, patient);
    XmlNode* name = doc.allocate_node(rapidxml::node_element, "name");
    patient->append_node(name);
    Xml::setChildText(doc, name, "first", first);
    Xml::setChildText(doc, name, "last", last);
    Xml::setChildText(doc, patient, "file", file.c_str());

    if (!saveFile(doc, "config.hma")) {
        config->remove_node(patient);
        return false;
    }
    copyBounded(currentId, idText.c_str());
    copyBounded(currentFile, file.c_str());
    return true;
}

int Global::getNewId(XmlNode** insertBefore)
{
    TRACE_SCOPE(source, "Global::getNewId", 3);
    if (insertBefore)
        *insertBefore = nullptr;
    XmlNode* patient = Xml::child(configRoot(), "patient");
    while (patient && !Xml::attribute(patient, "id"))
        patient = patient->next_sibling("patient");
    if (!patient)
        return 0;
    long long previous = std::atoi(Xml::attribute(patient, "id"));
    for (patient = patient->next_sibling("patient"); patient; patient = patient->next_sibling("patient")) {
        const char* id = Xml::attribute(patient, "id");
        if (!id)
            continue;
        long long current = std::atoi(id);
        if (current > previous + 1) {
            if (insertBefore)
                *insertBefore = patient;
            return int(previous + 1);
        }
        previous = current;
    }
    return previous < INT_MAX ? int(previous + 1) : INT_MAX;
}

XmlNode* Global::findNodeWithId(const char* id)
{
    TRACE_SCOPE(source, "Global::findNodeWithId", 4);
    for (XmlNode* p = Xml::child(configRoot(), "patient"); p; p = p->next_sibling("patient")) {
        const char* text = Xml::attribute(p, "id");
        if (text && id && !std::strcmp(text, id))
            return p;
    }
    return nullptr;
}

int Global::removeCurrentUser()
{
    TRACE_SCOPE(source, "Global::removeCurrentUser", 3);
    XmlNode* patient = currentFile[0] ? findPatientWithFile(currentFile) : nullptr;
    if (!patient)
        return -1;
    XmlNode* config = configRoot();
    XmlNode* next = patient->next_sibling();
    config->remove_node(patient);
    if (!saveFile(*configDoc, "config.hma")) {
        config->insert_node(next, patient);
        return -2;
    }
    TRACE_MSG(3, "Removed user: %s\n", currentFile);
    return 0;
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

int Global::openUser(const char* id)
{
    TRACE_SCOPE(source, "Global::openUser", 3);
    XmlNode* patient = findNodeWithId(id);
    if (!patient)
        return -1;
    const char* file = Xml::childText(patient, "file");
    if (!isPlainFileName(file) || isReservedName(file) || std::strlen(id) >= sizeof currentId) {
        TRACE_MSG(1, "Error: refused record file name '%s' for id %s\n", file, id);
        Prompt::alert("The record file of this user is listed in config.hma as \"%s\",\nwhich is not a plain "
                      "user file name in the data folder.\nThe user was not opened.",
                      file);
        return -2;
    }
    std::string idText = id;
    if (!loadFile(userDoc, file, userBuffer, "patient", OnDamage::Report))
        return -2;
    copyBounded(currentId, idText.c_str());
    copyBounded(currentFile, file);
    userOpen = true;
    return 0;
}
