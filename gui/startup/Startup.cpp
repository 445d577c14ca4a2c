#include "startup/Startup.h"

#include "controls/ControlAccessibles.h"
#include "controls/KeyboardStyle.h"
#include "controls/LightPalette.h"
#include "design/ExamWindowDesign.h"
#include "documents/FontSubstitutes.h"
#include "forms/FormBuilder.h"
#include "forms/SystemFaces.h"
#include "startup/MenuWording.h"

#include <QAccessible>
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tamsel {

void prepareApplication()
{
    // The menus stay in the window, where its design puts them, even on desktops with a global
    // menu bar. Qt would otherwise ask the session bus for one while it builds the menu bar,
    // and wait for it (or for a bus to be started, where none runs) before the window shows.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    // Without the Windows faces, fontconfig would pick a Latin face and Qt would fall back per
    // character: kana right, digits and widths wrong.
    for (const JapaneseFace& face : japaneseFaces) {
        const QString windowsFace = QString::fromUtf16(face.windowsFace);
        if (!systemFaces().has(windowsFace))
            QFont::insertSubstitution(windowsFace, QString::fromUtf16(face.installedFace));
    }
    QApplication::setStyle(new KeyboardStyle);
    // The style's light palette for what has no window of the program's around it (Qt's own
    // menus); the windows set it for their controls.
    QApplication::setPalette(lightPalette());
    QApplication::setFont(makeFont(examdesign::form.font));

    // The program is Japanese whatever the locale: Qt's own menus and dialogs too, and what it
    // tells assistive technology, which asks an application for its locale (Qt answers with the
    // default one) to read its texts in their language. Qt 6.4 tells no object's own language.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    auto* translator = new QTranslator(qApp);
    if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    QCoreApplication::installTranslator(new MenuWording(qApp));
    QAccessible::installFactory(&createControlAccessible);
}

} // namespace tamsel
