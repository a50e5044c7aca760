#include "ui/DocumentWindows.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <vector>

namespace {

std::vector<Fl_Window*>& windows()
{
    static std::vector<Fl_Window*> open;
    return open;
}

}

Fl_Window* DocumentWindows::centreOver = nullptr;

void DocumentWindows::add(Fl_Window* window)
{
    windows().push_back(window);
}

void DocumentWindows::remove(Fl_Window* window)
{
    auto& open = windows();
    open.erase(std::remove(open.begin(), open.end(), window), open.end());
}

void DocumentWindows::open(Fl_Window* window)
{
    if (Fl_Window* over = centreOver)
        window->position(over->x() + (over->w() - window->w()) / 2, over->y() + (over->h() - window->h()) / 2);
    add(window);
    window->show();
}

void DocumentWindows::close(Fl_Window* window)
{
    remove(window);
    window->hide();
    Fl::delete_widget(window);
}

void DocumentWindows::closeAll()
{
    std::vector<Fl_Window*> closing;
    closing.swap(windows());
    for (Fl_Window* window : closing) {
        window->hide();
        Fl::delete_widget(window);
    }
}

const std::vector<Fl_Window*>& DocumentWindows::all()
{
    return windows();
}

int DocumentWindows::count()
{
    return int(windows().size());
}
