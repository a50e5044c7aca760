// Progress of a long piece of work, shown only once it has taken half a second, with a button to
// cancel it. The work calls step between its parts; the window answers its button meanwhile.
#pragma once

#include <chrono>
#include <string>

class Fl_Box;
class Fl_Widget;
class Fl_Double_Window;

class ReportProgress {
public:
    explicit ReportProgress(const std::string& what);
    ~ReportProgress();
    ReportProgress(const ReportProgress&) = delete;
    ReportProgress& operator=(const ReportProgress&) = delete;

    // done of total pages are drawn (all of them while the file is written); false once the person
    // has cancelled.
    bool step(int done, int total);

private:
    static void cancelCB(Fl_Widget*, void* data);

    std::string what, label;
    std::chrono::steady_clock::time_point start;
    Fl_Double_Window* window = nullptr;
    Fl_Box* text = nullptr;
    bool cancelled = false;
};
