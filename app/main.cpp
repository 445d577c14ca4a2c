#include "app/ChimePlayer.h"
#include "app/Clock.h"
#include "app/Startup.h"
#include "app/frmTamsel.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tamsel::prepareApplication();
    const tamsel::SystemClock clock;
    tamsel::ChimePlayer chime;
    frmTamsel window(clock, chime);
    window.show();
    return QApplication::exec();
}
