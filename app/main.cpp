#include "app/Startup.h"
#include "app/frmTamsel.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    tamsel::prepareApplication();
    frmTamsel window;
    window.show();
    return QApplication::exec();
}
