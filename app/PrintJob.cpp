#include "app/PrintJob.h"

#include <FL/Fl.H>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <list>
#include <system_error>
#include <thread>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

void (*PrintJob::changed)() = nullptr;

namespace {

struct Job {
    FILE* command;
    FILE* page;
    std::function<void(int)> done;
    int wake[2];
    int status = 0;
    std::thread worker;
};

std::list<Job> jobs;

// On the job's own thread: nothing of the toolkit here.
void handOver(Job* job)
{
    // A command that stops reading makes the writes fail instead of ending the program.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    char chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, job->page)) > 0 && std::fwrite(chunk, 1, n, job->command) == n) {
    }
    job->status = pclose(job->command);
    const timespec none{};
    while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    const char ended = 1;
    while (write(job->wake[1], &ended, 1) < 0 && errno == EINTR) {
    }
}

void ended(int fd, void*)
{
    for (auto job = jobs.begin(); job != jobs.end(); ++job)
        if (job->wake[0] == fd) {
            Fl::remove_fd(fd);
            job->worker.join();
            close(job->wake[0]);
            close(job->wake[1]);
            std::fclose(job->page);
            auto done = std::move(job->done);
            const int status = job->status;
            jobs.erase(job);
            if (PrintJob::changed)
                PrintJob::changed();
            done(status);
            return;
        }
}

}

void PrintJob::start(FILE* command, FILE* page, std::function<void(int status)> done)
{
    static bool waitAtExit = (std::atexit(finishAll), true);
    (void)waitAtExit;
    // Commands started later must not hold this one's input open.
    fcntl(fileno(command), F_SETFD, FD_CLOEXEC);
    fcntl(fileno(page), F_SETFD, FD_CLOEXEC);
    std::rewind(page);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) == 0) {
        jobs.push_back(Job{command, page, std::move(done), {wake[0], wake[1]}, 0, {}});
        Job& job = jobs.back();
        try {
            job.worker = std::thread(handOver, &job);
            Fl::add_fd(job.wake[0], FL_READ, ended);
            if (changed)
                changed();
            return;
        } catch (const std::system_error&) {
            close(wake[0]);
            close(wake[1]);
            done = std::move(job.done);
            jobs.pop_back();
        }
    }
    // With no thread or no way to hear of its end, the job is handed over here and now.
    Job job{command, page, std::move(done), {-1, -1}, 0, {}};
    handOver(&job);
    std::fclose(page);
    job.done(job.status);
}

int PrintJob::running() { return int(jobs.size()); }

void PrintJob::finishAll()
{
    for (Job& job : jobs)
        if (job.worker.joinable())
            job.worker.join();
}
