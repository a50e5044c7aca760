// One change to the record documents, kept only when every file it touches is saved. Edits go
// through it; when one of its saves fails, everything it did is undone in memory and the files it
// had already saved are put back, so memory never holds what the files lack. For example:
//     Change change;
//     change.setText(*Global::userDoc, info, "race", text);
//     if (!change.save(*Global::userDoc, Global::currentFile)) return; // undone; keep what was typed
#pragma once

#include "records/Xml.h"

#include <functional>
#include <string>
#include <vector>

class Change {
public:
    // Sets the text of parent's child called name, appending that child when it is missing.
    XmlNode* setText(XmlDocument& doc, XmlNode* parent, const char* name, const char* value);
    void setAttribute(XmlDocument& doc, XmlNode* node, const char* name, const char* value);
    // Inserts child before the given sibling, or at the end when before is null.
    void insert(XmlNode* parent, XmlNode* before, XmlNode* child);
    void remove(XmlNode* child);
    // Something outside the documents that an undo must also put back.
    void onUndo(std::function<void()> undo);

    // Saves the document (Global::saveFile); false after undoing the whole change.
    bool save(const XmlDocument& doc, const char* name);
    // Undoes every edit in memory and puts back the files this change saved: a file that did not
    // exist before is removed, another is saved again from the restored document.
    void undo();

private:
    struct Saved {
        const XmlDocument* doc;
        std::string name;
        bool existed;
    };
    std::vector<std::function<void()>> undos;
    std::vector<Saved> saved;
};
