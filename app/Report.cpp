#include "app/Report.h"

#include "app/PathPin.h"
#include "app/PrintJob.h"
#include "app/Prompt.h"
#include "app/ReportName.h"
#include "app/Trace.h"
#include "records/SafeFile.h"
#include "records/SystemCalls.h"

#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_PostScript.H>
#include <FL/Fl_Printer.H>
#include <FL/fl_draw.H>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <langinfo.h>
#include <locale.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

const char* const Report::credit = "Created with Marlowen Veloria by Kestrelon";

namespace {

const char* const source = "Report";

// A printer command that ends early must not end the program with SIGPIPE: its writes fail instead.
class PipeSignalIgnored {
public:
    PipeSignalIgnored()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &previous);
    }
    ~PipeSignalIgnored() { sigaction(SIGPIPE, &previous, nullptr); }

private:
    struct sigaction previous;
};

// The page goes to a file of its own, handed to the print command afterwards; the toolkit's end
// of the job leaves it open for that.
int keepOpen(FILE*)
{
    return 0;
}

// The wait status of the print command when the page is piped into it as drawn.
int printCommandStatus = 0;
int closePrintCommand(FILE* pipe)
{
    printCommandStatus = pclose(pipe);
    return printCommandStatus;
}

void tellPrintCommandEnd(int status)
{
    TRACE_SCOPE(source, "Report::printCommandEnded", 3);
    if (status == 0) {
        TRACE_MSG(3, "The print command took the report\n");
        return;
    }
    TRACE_MSG(1, "The print command ended with status %d\n", status);
    Prompt::alert("Unable to print the report: the print command ended with status %d.",
                  WIFEXITED(status) ? WEXITSTATUS(status) : status);
}

// Letter where the person's locale prints on it, A4 everywhere else.
Fl_Paged_Device::Page_Format localPaper()
{
    locale_t paper = newlocale(LC_PAPER_MASK, "", locale_t(nullptr));
    if (!paper)
        return Fl_Paged_Device::A4;
    auto height = reinterpret_cast<std::intptr_t>(nl_langinfo_l(_NL_PAPER_HEIGHT, paper));
    freelocale(paper);
    return height == 279 ? Fl_Paged_Device::LETTER : Fl_Paged_Device::A4;
}

// A temporary file without a name, so that a program killed while it is in use leaves nothing
// behind. Where the file system cannot make one, a file named from the mkstemp pattern in the same
// folder, unlinked at once unless it is to be put in place later.
class ScratchFile {
public:
    ScratchFile(const std::string& folder, const std::string& pattern, bool placeable)
    {
        fd = SystemCalls::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0)
            return;
        named = folder + pattern;
        fd = SystemCalls::makeTemporary(&named[0], O_CLOEXEC);
        if (fd < 0)
            why = std::strerror(errno);
        if (fd < 0 || !placeable) {
            if (fd >= 0)
                unlink(named.c_str());
            named.clear();
        }
    }
    ~ScratchFile()
    {
        if (!named.empty())
            unlink(named.c_str());
        if (fd >= 0)
            close(fd);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Gives the file the name path, replacing any file there; a file without a name is first
    // linked under a hidden name beside it (hiddenStart and a number).
    bool placeAs(const std::string& path, const std::string& hiddenStart)
    {
        for (int n = 0; named.empty(); ++n) {
            std::string name = hiddenStart + std::to_string(getpid()) + "-" + std::to_string(n);
            if (SystemCalls::link(fd, name.c_str()) == 0)
                named = name;
            else if (errno != EEXIST)
                return false;
        }
        if (SystemCalls::rename(named.c_str(), path.c_str()) != 0)
            return false;
        named.clear();
        return true;
    }

    int fd = -1;
    std::string named, why;
};

// What Ghostscript says went wrong: its "Error:" line, or else its last line.
std::string reasonIn(const std::string& said)
{
    std::istringstream lines(said);
    std::string line, last;
    while (std::getline(lines, line)) {
        if (line.rfind("Error:", 0) == 0)
            return line;
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            last = line;
    }
    return last;
}

// A converter that may be stopped keeps its temporary files in a folder of its own, emptied and
// removed after it: Ghostscript stopped by a signal leaves them behind.
class ConverterFolder {
public:
    explicit ConverterFolder(bool wanted)
    {
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp && *tmp ? tmp : "/tmp") + "/mv-convert-XXXXXX";
        if (!wanted || !mkdtemp(&path[0])) {
            path.clear();
            return;
        }
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "TMPDIR=", 7) != 0)
                variables.push_back(*e);
        setting = "TMPDIR=" + path;
        variables.push_back(setting.c_str());
        variables.push_back(nullptr);
    }
    ~ConverterFolder()
    {
        if (path.empty())
            return;
        if (DIR* folder = opendir(path.c_str())) {
            while (dirent* e = readdir(folder))
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    unlink((path + "/" + e->d_name).c_str());
            closedir(folder);
        }
        rmdir(path.c_str());
    }
    ConverterFolder(const ConverterFolder&) = delete;
    ConverterFolder& operator=(const ConverterFolder&) = delete;
    char** environment() { return path.empty() ? environ : const_cast<char**>(variables.data()); }

private:
    std::string path, setting;
    std::vector<const char*> variables;
};

// Ghostscript's ps2pdf from the file ps to the file pdf, page rotation left as drawn; its
// complaints come back in error. It gets no file names: it would take a '%' in them for a page
// number.
// waiting, when given, is asked every tenth of a second while the converter works: false stops it.
bool convertToPdf(int ps, int pdf, std::string& error, const std::function<bool()>& waiting, bool& stopped)
{
    int messages[2];
    if (pipe2(messages, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, messages[1], 2);
    posix_spawn_file_actions_adddup2(&actions, ps, 0);
    posix_spawn_file_actions_adddup2(&actions, pdf, 1);
    const char* argv[] = {"ps2pdf", "-dAutoRotatePages=/None", "-", "-", nullptr};
    ConverterFolder scratch(waiting != nullptr);
    pid_t pid;
    int spawned = posix_spawnp(&pid, "ps2pdf", &actions, nullptr, const_cast<char**>(argv), scratch.environment());
    posix_spawn_file_actions_destroy(&actions);
    close(messages[1]);
    std::string said;
    char chunk[512];
    stopped = false;
    while (spawned == 0) {
        if (waiting) {
            pollfd ready{messages[0], POLLIN, 0};
            if (poll(&ready, 1, 100) == 0) {
                if (!waiting()) {
                    kill(pid, SIGTERM);
                    stopped = true;
                    break;
                }
                continue;
            }
        }
        ssize_t n = read(messages[0], chunk, sizeof chunk);
        if (n > 0)
            said.append(chunk, size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(messages[0]);
    if (spawned != 0) {
        error = std::string("The PDF converter ps2pdf (package ghostscript) could not be started: ") + std::strerror(spawned);
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (stopped) {
        error = "cancelled";
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        char head[5] = {};
        if (pread(pdf, head, 5, 0) == 5 && !std::memcmp(head, "%PDF-", 5))
            return true;
        error = "The PDF converter ps2pdf wrote no PDF.";
        return false;
    }
    error = "The PDF converter ps2pdf failed";
    if (!reasonIn(said).empty())
        error += ": " + reasonIn(said);
    else if (WIFEXITED(status))
        error += " with status " + std::to_string(WEXITSTATUS(status)) + ".";
    else
        error += ": it was stopped by signal " + std::to_string(WTERMSIG(status)) + ".";
    return false;
}

}

Report::Report(Fl_Widget* printed, const ReportStyle& style, const std::string& userName)
    : userName(userName), title("Report for " + userName), printed(printed), style(style)
{
}

void Report::drawPage(Fl_Paged_Device& device)
{
    TRACE_SCOPE(source, "Report::drawPage", 3);
    struct Kept {
        Fl_Widget* widget;
        int x, y, w, h;
    };
    std::vector<Kept> kept;
    for (Fl_Widget* w : keepGeometry)
        kept.push_back({w, w->x(), w->y(), w->w(), w->h()});
    if (enlarge)
        enlarge();

    int pw, ph;
    device.printable_rect(&pw, &ph);
    const ReportLayout l = ReportLayout::compute(style, pw, ph, printed->w(), printed->h());
    device.scale(float(l.scale), float(l.scale));
    if (l.rotated) {
        device.printable_rect(&pw, &ph);
        device.rotate(90);
        device.translate(-ph, 0);
        // Viewers of a PDF made from the page show it the right way up; a printer has no pdfmark.
        if (device.driver()->class_name() == Fl_PostScript_Graphics_Driver::class_id)
            static_cast<Fl_PostScript_Graphics_Driver*>(device.driver())
                ->clocale_printf("/pdfmark where {pop [{ThisPage} <</Rotate 90>> /PUT pdfmark} if\n");
    }
    fl_color(FL_BLACK);
    fl_font(FL_HELVETICA_BOLD, l.titleSize);
    fl_draw(title.c_str(), l.title.x, l.title.y, l.title.w, l.title.h, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    fl_font(FL_HELVETICA, l.creditSize);
    fl_draw(credit, l.credit.x, l.credit.y, l.credit.w, l.credit.h, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    std::vector<Fl_Color> colours;
    for (Fl_Widget* w : whiten) {
        colours.push_back(w->color());
        w->color(FL_WHITE);
    }
    device.print_widget(printed, 0, l.gap);
    for (size_t i = 0; i < whiten.size(); ++i)
        whiten[i]->color(colours[i]);
    if (l.rotated)
        device.untranslate();
    for (const Kept& k : kept)
        k.widget->resize(k.x, k.y, k.w, k.h);
}

bool Report::drawAll(Fl_Paged_Device& device)
{
    cancelled = false;
    if (drawPages) {
        cancelled = !drawPages(device);
        return !cancelled;
    }
    device.start_page();
    drawPage(device);
    device.end_page();
    return true;
}

bool Report::print()
{
    TRACE_SCOPE(source, "Report::print", 3);
    PipeSignalIgnored pipeSignal;
    Fl_Printer printer;
    if (printer.start_job(pageCount) != 0) {
        TRACE_MSG(3, "The print job was cancelled or could not start\n");
        return false;
    }
    // The dialog pipes the page into the system's print command (or writes a file). The command
    // may take its time: the page is drawn into a file and handed over as a PrintJob, whose end is
    // examined, so that a job the command refused is not taken for printed.
    auto* driver = static_cast<Fl_PostScript_Graphics_Driver*>(printer.driver());
    const bool piped = driver->class_name() == Fl_PostScript_Graphics_Driver::class_id && driver->close_cmd_ == pclose;
    // The page is drawn through a stream of its own that keeps a failed write (a full disk) for
    // its close to tell, so that a page cut short is never handed over.
    FILE* command = nullptr;
    FILE* page = piped ? std::tmpfile() : nullptr;
    FILE* drawing = nullptr;
    if (page) {
        const int copy = dup(fileno(page));
        drawing = copy >= 0 ? SystemCalls::stream(copy) : nullptr;
        if (!drawing && copy >= 0)
            close(copy);
        if (!drawing) {
            std::fclose(page);
            page = nullptr;
        }
    }
    if (page) {
        command = driver->output;
        driver->output = drawing;
        driver->close_command(keepOpen);
    } else if (piped)
        driver->close_command(closePrintCommand);
    printCommandStatus = 0;
    const bool drawn = drawAll(printer);
    printer.end_job();
    const int writeError = drawing && std::fclose(drawing) != 0 ? errno : 0;
    if (!drawn || writeError) {
        TRACE_MSG(3, "The report was cancelled or its page not written before it was printed\n");
        if (writeError)
            Prompt::alert("Unable to print the report: its page could not be written (%s).", std::strerror(writeError));
        if (page)
            std::fclose(page);
        if (command)
            pclose(command);
        return false;
    }
    if (command) {
        TRACE_MSG(3, "The report goes to the print command\n");
        PrintJob::start(command, page, tellPrintCommandEnd);
        return true;
    }
    tellPrintCommandEnd(printCommandStatus);
    return printCommandStatus == 0;
}

bool Report::writePostScript(const std::string& path, std::string& error)
{
    int fd = SystemCalls::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    FILE* file = fd >= 0 ? SystemCalls::stream(fd) : nullptr;
    if (fd >= 0 && !file)
        close(fd);
    return writePostScript(file, error);
}

bool Report::writePostScript(FILE* file, std::string& error)
{
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    Fl_PostScript_File_Device device;
    device.start_job(file, pageCount, localPaper());
    const bool drawn = drawAll(device);
    device.end_job();
    if (!drawn) {
        std::fclose(file);
        error = "cancelled";
        return false;
    }
    bool written = !std::ferror(file);
    if (std::fclose(file) != 0 || !written) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool Report::writePdf(const std::string& path, std::string& error)
{
    const char* tmp = std::getenv("TMPDIR");
    ScratchFile ps(std::string(tmp && *tmp ? tmp : "/tmp") + "/", "mv-report-XXXXXX", false);
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    std::string hidden = folder + "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
    ScratchFile pdf(folder, hidden.substr(folder.size()) + "XXXXXX", true);
    if (ps.fd < 0 || pdf.fd < 0) {
        error = ps.fd >= 0 ? pdf.why : ps.why;
        return false;
    }
    int psCopy = dup(ps.fd);
    FILE* psFile = psCopy >= 0 ? SystemCalls::stream(psCopy) : nullptr;
    if (!psFile && psCopy >= 0)
        close(psCopy);
    if (!writePostScript(psFile, error) || lseek(ps.fd, 0, SEEK_SET) != 0 || !convertToPdf(ps.fd, pdf.fd, error, converting, cancelled))
        return false;
    if (SystemCalls::sync(pdf.fd) != 0 || !pdf.placeAs(path, hidden)) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool Report::savePdf(std::string path)
{
    TRACE_SCOPE(source, "Report::savePdf", 3);
    path = PathPin::pin(path);
    if (path.size() < 4 || strcasecmp(path.c_str() + path.size() - 4, ".pdf") != 0)
        path += ".pdf";
    if (SafeFile::exists(path) &&
        Prompt::choice("The file " + path + " already exists.\nDo you want to replace it?", "Cancel", "Replace",
                       nullptr) != 1)
        return false;
    std::string error;
    if (writePdf(path, error)) {
        TRACE_MSG(3, "Saved %s\n", path.c_str());
        return true;
    }
    TRACE_MSG(1, "Unable to save %s: %s\n", path.c_str(), error.c_str());
    if (cancelled)
        return false;
    Prompt::alert("Unable to save file: %s\n%s", path.c_str(), error.c_str());
    return false;
}

bool Report::askAndSavePdf(const char* chooserTitle, const std::string& subject)
{
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title(chooserTitle);
    chooser.filter("PDF\t*.pdf");
    chooser.directory(PathPin::folder().empty() ? nullptr : PathPin::folder().c_str());
    chooser.preset_file(offeredName.empty() ? ReportName::suggest(userName, subject).c_str() : offeredName.c_str());
    switch (chooser.show()) {
    case 0:
        return savePdf(chooser.filename());
    case -1:
        Prompt::alert("%s", chooser.errmsg());
    }
    return false;
}
