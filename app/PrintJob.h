// A printed page handed to the system's print command, which may take its time over it: the page
// is written to the command and the command waited for on a thread of its own, so that the
// program goes on drawing and answering meanwhile. The end is told on the GUI thread.
#pragma once

#include <cstdio>
#include <functional>

class PrintJob {
public:
    // command: the print command's pipe (from popen); page: the page, written to it from its
    // start. Both are closed when the job ends; then done gets the command's wait status.
    static void start(FILE* command, FILE* page, std::function<void(int status)> done);
    // Jobs still being handed over.
    static int running();
    // Called on the GUI thread each time running() changes, to show it.
    static void (*changed)();
    // Waits until every job has been handed over (the program ends only after that).
    static void finishAll();
};
