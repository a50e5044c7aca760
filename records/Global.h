// The record store: the directory of users and the open user's record, the built-in catalogue
// of variables, and the range lookup. All members are static; there is no Global object.
#pragma once

#include "records/Ranges.h"
#include "records/SafeFile.h"
#include "records/Xml.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Change;
class Fl_Image;

struct DerivedVariable {
    std::string group;
    double (*formula)(double systolic, double diastolic);
};

// A colour by its red, green and blue parts; the interface turns it into a toolkit colour.
struct Rgb {
    unsigned char r, g, b;
};

struct BpClass {
    std::string name;
    double systolicFrom;
    double systolicTo;
    double diastolicFrom;
    double diastolicTo;
    bool bothRequired;
    int minReadings;
    int minDays;
    Rgb colour;

    bool contains(double systolic, double diastolic) const;
};

class Global {
public:
    // Store (Global_store.cpp)
    static std::unique_ptr<XmlDocument> configDoc;
    static FileBytes configBuffer;
    static std::unique_ptr<XmlDocument> userDoc;
    static FileBytes userBuffer;
    static char currentFile[256];
    static char currentId[12];
    static bool userOpen;
    static std::string dataFolder;

    // Runs just before userDoc is replaced, so that windows pointing into it can close.
    static std::function<void()> userDocReplacing;

    enum class OnDamage { Terminate, Report };
    // A file that cannot be opened ends the program. A file that is damaged (see parse) or is not
    // a regular file of a sane size either ends the program or is reported and left alone; the
    // previous document then stays in place and false is returned.
    static bool loadFile(std::unique_ptr<XmlDocument>& doc, const char* name, FileBytes& buffer,
                         const char* rootName, OnDamage onDamage);
    // Parses text (NUL-terminated, kept by the caller for the document's life) into a fresh
    // document. Returns "" or the damage: too deep, a control character, not well-formed, no root.
    static std::string parse(FileBytes& text, const char* rootName, std::unique_ptr<XmlDocument>& doc);
    // Atomic; a failure is reported and traced, the file on disk stays as it was.
    static bool saveFile(const XmlDocument& doc, const char* name);
    // Saves the open user unless none is open or it is a new user not yet confirmed.
    static bool saveCurrentUser();
    // Saves the open user's record after change; when the save fails, the change is undone. A new
    // user not yet confirmed has no file: the change is undone and refused with a reason.
    static bool saveCurrentUser(Change& change);
    // A new user is open whose information dialog has not been confirmed: it has no file yet.
    static bool newUserPending();
    // While a new user is pending, tells why a change to the record cannot be made and returns true.
    static bool refuseWhilePending();
    static bool createNew();
    // Lists the new user from userDoc: gives it its id and file, writes its record, then the
    // directory. Undone through the change when either save fails.
    static bool addNewToConfig(const char* first, const char* last, Change& change);
    // Saves the open user's record after change edited its information, then the directory entry
    // with its name. A record whose id config.hma does not list is a new user, which this adds.
    static bool saveUser(Change& change);
    // The smallest free id at or after the first usable listed id, and the element the new user
    // goes before (null: at the end); -1 when there is none.
    static int getNewId(XmlNode** insertBefore);
    // The value of an id text: decimal digits within an int; -1 for anything else.
    static int idValue(const char* text);
    static XmlNode* findNodeWithId(const char* id);
    // The directory entry whose file is the open user's, or null (none open, or not yet listed).
    static XmlNode* currentEntry();
    // The directory's user entries (`patient` elements of config.hma), in their order.
    static std::vector<XmlNode*> users();
    // NotSaved: the directory could not be saved, nothing changed.
    enum class Removal { Removed, NotListed, NotSaved };
    static Removal removeCurrentUser();
    static XmlNode* findVariableNode(const char* name);
    // Opens the user of this directory entry; anything but Opened has been told to the person and
    // leaves the open user as it was.
    enum class Opening { Opened, IdUnusable, FileNameRefused, NotLoaded };
    static Opening openUser(XmlNode* patient);
    // A record file name must be a plain name inside the data folder.
    static bool isPlainFileName(const char* name);
    // What a person should know about config.hma: ids listed twice, entries without a usable id.
    // Empty when there is nothing to say.
    static std::string directoryProblems();
    // Brings the names in config.hma in line with the users' records, which are written first.
    static void correctNamesFromRecords();
    // Alerts and ends the process with status 1.
    [[noreturn]] static void terminate(const std::string& message);

    // Catalogue (Global_catalogue.cpp)
    static std::map<std::string, Ranges> ranges; // the defaults
    static std::map<std::string, std::string> groups;
    static std::map<std::string, DerivedVariable> derived;
    static std::map<std::string, std::string> conditions;
    static std::map<std::string, std::string> analyses;
    static std::vector<BpClass> bpClasses;
    static Fl_Image* printIcon;  // made by initImages
    static Fl_Image* markerIcon;

    static void init();
    static void initImages(); // ui/Global_icons.cpp, part of the interface library
    static const char* groupOf(std::string name);
    static const char* derivedGroupOf(std::string name);
    static double meanArterialPressure(double systolic, double diastolic);
    static double pulsePressure(double systolic, double diastolic);
    // A member's element is named by its display name with the first letter in lower case:
    // "Systolic" and "systolic", "Value" and "value".
    static std::string elementName(std::string displayName);
    static std::string displayName(std::string elementName);

    // Ranges (Global_ranges.cpp)
    static constexpr int rangeTextSize = 32;
    // The element names of a variable's members, in the order its bounds hold them: systolic and
    // diastolic for "Blood Pressure", fasting and postprandial for "Blood Sugar"; none for others.
    static std::vector<std::string> membersOf(const std::string& variable);
    // The variable that keeps a member's bounds and readings ("Systolic" or "fasting", either
    // capitalisation), or null.
    static const char* memberGroupOf(const std::string& name);
    // kind "normal", any other text the panic range; the texts as NumberText::bound writes them.
    static void findRange(const char* name, const char* kind, double& low, double& high,
                          char (&lowText)[rangeTextSize], char (&highText)[rangeTextSize]);
    // Both ranges of a variable, member or derived variable as findRange resolves them.
    static Ranges rangesOf(const std::string& name);
};
