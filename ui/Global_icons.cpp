// Global: the two images of the catalogue, built from pixmap data compiled into the program.
#include "records/Global.h"

#include "ui/Artwork.h"

#include <FL/Fl_Pixmap.H>

Fl_Image* Global::printIcon = nullptr;
Fl_Image* Global::markerIcon = nullptr;

void Global::initImages()
{
    if (!printIcon)
        printIcon = new Fl_Pixmap(printIconXpm);
    if (!markerIcon)
        markerIcon = new Fl_Pixmap(markerIconXpm);
}
