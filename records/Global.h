// The record store: the directory of users and the open user's record, the built-in catalogue
// of variables, and the range lookup. All members are static; there is no Global object.
#pragma once

#include "records/Xml.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

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
    static std::vector<char> configBuffer;
    static std::unique_ptr<XmlDocument> userDoc;
    static std::vector<char> userBuffer;
    static char currentFile[256];
    static char currentId[12];
    static bool userOpen;
    static std::string dataFolder;

    // Runs just before userDoc is replaced, so that windows pointing into it can close.
    static std::function<void()> userDocReplacing;

    enum class OnDamage { Terminate, Report };
    // A file that cannot be opened ends the program. A file that does not parse or lacks its
    // root element either ends the program or is reported and left alone; the previous
    // document then stays in place and false is returned.
    static bool loadFile(std::unique_ptr<XmlDocument>& doc, const char* name, std::vector<char>& buffer,
                         const char* rootName, OnDamage onDamage);
    // Atomic; a failure is reported and traced, the document in memory stays as it is.
    static bool saveFile(const XmlDocument& doc, const char* name);
    // Saves the open user unless none is open or it is a new user not yet confirmed.
    static bool saveCurrentUser();
    static bool createNew();
    static bool addNewToConfig(const char* first, const char* last);
    static int getNewId(XmlNode** insertBefore);
    static XmlNode* findNodeWithId(const char* id);
    // 0 removed, -1 not listed, -2 the directory could not be saved (nothing changed).
    static int removeCurrentUser();
    static XmlNode* findVariableNode(const char* name);
    // Opens the listed user with this id: 0 opened, -1 not listed, -2 refused or damaged.
    static int openUser(const char* id);
    // A record file name must be a plain name inside the data folder.
    static bool isPlainFileName(const char* name);
    // Alerts and ends the process with status 1.
    [[noreturn]] static void terminate(const std::string& message);

    // Catalogue (Global_catalogue.cpp)
    static std::map<std::string, std::array<double, 4>> ranges;
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

    // Ranges (Global_ranges.cpp)
    static constexpr int rangeTextSize = 32;
    static void findRange(const char* name, const char* kind, double& low, double& high,
                          char (&lowText)[rangeTextSize], char (&highText)[rangeTextSize]);
};
