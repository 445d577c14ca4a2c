#include "chime/ChimePlayer.h"
#include "forms/WindowShelf.h"
#include "startup/Startup.h"
#include "system/Clock.h"
#include "windows/frmTamsel.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tamsel::prepareApplication();
    const tamsel::SystemClock clock;
    tamsel::ChimePlayer chime;
    tamsel::WindowShelf shelf;
    // The exam window goes when it is closed, its countdown with it; the program ends with the
    // last open window.
    auto* window = new frmTamsel(clock, chime, shelf);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return QApplication::exec();
}
