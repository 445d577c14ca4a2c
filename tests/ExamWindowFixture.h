#pragma once
// The exam window as the widget tests open it: on a fake clock at 10:15:40 and a recording
// player, with its own window shelf, and found controls by their design names.

#include "Fakes.h"
#include "controls/TabbedDialog.h"
#include "forms/WindowShelf.h"
#include "marking/AnswerKey.h"
#include "startup/Startup.h"
#include "windows/frmTamsel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

class ExamWindowFixture {
protected:
    static void prepare()
    {
        QLocale::setDefault(QLocale::c());
        tamsel::prepareApplication();
    }
    // A fresh window, shown; false when it never got exposed.
    [[nodiscard]] bool open()
    {
        clock.set("2026-12-08T10:15:40");
        player.log.clear();
        player.onOperation = nullptr;
        shelf = std::make_unique<tamsel::WindowShelf>();
        window = std::make_unique<frmTamsel>(clock, player, *shelf);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    void close()
    {
        window.reset();
        shelf.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T> T* find(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    QLabel* label(const QString& name) const { return find<QLabel>(name); }
    QTimer* timer() const { return find<QTimer>(QStringLiteral("tmr時間")); }
    QLabel* score() const { return label(QStringLiteral("lbl得点")); }
    // Box choice (1 = ①) of item 1 to 34, and the box the answer key marks right.
    QCheckBox* box(int item, int choice) const
    {
        for (QCheckBox* b :
             window->findChildren<QCheckBox*>(QStringLiteral("chkTamsel%1").arg(item)))
            if (b->property("Index").toInt() == choice)
                return b;
        qFatal("no box %d of item %d", choice, item);
    }
    QCheckBox* rightBox(int item) const
    {
        return box(item, tamsel::AnswerKey[static_cast<size_t>(item - 1)].correct);
    }
    tamsel::TabbedDialog* answerSheet() const
    {
        return find<tamsel::TabbedDialog>(QStringLiteral("SSTab1"));
    }
    // Ticks a box as a student would: its tab selected, a click on its square.
    void tick(int item, int choice) const
    {
        answerSheet()->setCurrentIndex(item - 1);
        QCheckBox* b = box(item, choice);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    // The window takes the keyboard focus, as a click on it would; false when it never does.
    [[nodiscard]] bool activate() const
    {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // A click as a user makes it: a disabled button does nothing.
    void press(const QString& name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    FakeClock clock;
    RecordingPlayer player;
    std::unique_ptr<tamsel::WindowShelf> shelf;
    std::unique_ptr<frmTamsel> window;
};

// Where a window stands against the centre of its screen's free area, within two pixels each
// way; the message gives the offset.
inline bool centredOnScreen(const QWidget& shown, QString* offset)
{
    const QPoint off =
        shown.frameGeometry().center() - shown.screen()->availableGeometry().center();
    *offset = QStringLiteral("%1, %2").arg(off.x()).arg(off.y());
    return qAbs(off.x()) <= 2 && qAbs(off.y()) <= 2;
}
