// The one seam through which the program shows alerts, asks questions and quits, so that
// in-process tests can answer them and see a quit without ending. The toolkit's boxes are
// installed by main.
#pragma once

#include <string>

class Prompt {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void alert(const std::string& text) = 0;
        // Returns the index of the chosen button (0, 1 or 2).
        virtual int choice(const std::string& question, const char* b0, const char* b1, const char* b2) = 0;
        virtual void quit(int status);
    };

    static void alert(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static int choice(const std::string& question, const char* b0, const char* b1, const char* b2);
    // Ends the process, except under a test's handler, which only notes it: a caller goes on after it.
    static void quit(int status);
    // Returns the previous handler; null restores the console handler.
    static Handler* setHandler(Handler* handler);
};
