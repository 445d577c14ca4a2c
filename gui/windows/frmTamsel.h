#pragma once
// The exam window: the booklet viewer, the answer sheet, the exam buttons, the time and score
// displays and the menu. It owns its controls and wires their events to its handlers; marking,
// the countdown's arithmetic and the score bands are done by the core. The clock, the media
// player and the shelf of the windows it opens are lent to it, so that tests can put fakes in
// their place and watch what it opens.

#include "countdown/Countdown.h"
#include "marking/Marking.h"

#include <QMainWindow>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tamsel {
class Announcer;
class AnswerSheetKeys;
class Clock;
class MediaPlayer;
class TabbedDialog;
class WindowShelf;
} // namespace tamsel

class frmTamsel final : public QMainWindow {
    Q_OBJECT

public:
    frmTamsel(const tamsel::Clock& clock, tamsel::MediaPlayer& player, tamsel::WindowShelf& shelf,
              QWidget* parent = nullptr);

    void cmdスタート_Click();
    void tmr時間_Timer();
    void cmd得点_Click();
    void cmd合格率_Click();
    void mnuAbout_Click();
    void mnuExit_Click();

protected:
    // The countdown goes with the window: no tick and no chime come after it closed.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildBookletViewer(QWidget* client);
    void buildAnswerSheet(QWidget* client);
    void buildAnswerItem(int n);
    tamsel::SheetBoxes readAnswerSheet() const;
    void PlaySound();
    static QString AppFolder();
    void showTime(const QString& time);
    void showScore(const QString& score);
    int ticks(int item) const;
    // A tick or untick on item: its tab follows, and a second tick is announced, since two ticks
    // on one item are marked wrong and the student may have meant to change their answer.
    void answerChanged(int item, bool ticked);
    // Shows on the tab of item how many of its boxes are ticked, and tells it with the ring's
    // name, while the ring shows, to a screen reader.
    void describeItem(int item);
    void describeItems();
    // A digit pressed where the student reads ticks or clears a box of the item in view, and a
    // screen reader hears it there: the item, the choice and its new state.
    void tickFromReader(QCheckBox* box);
    // The item an item key moved to from where the student reads, with what is ticked there.
    void tellItem(int item);
    // Ctrl+T: the time left as the display shows it, or that no attempt runs.
    void tellTime();
    // F10 opens the menu bar's first menu, as on the desktops.
    void openMenuBar();

    const tamsel::Clock& clock_;
    tamsel::MediaPlayer& MMControl1;
    tamsel::WindowShelf& shelf_;
    const QString chimePath_; // the chime beside the executable
    tamsel::Countdown countdown_;

    QPushButton* cmdスタート = nullptr;
    QPushButton* cmd得点 = nullptr;
    QPushButton* cmd合格率 = nullptr;
    tamsel::TabbedDialog* stb英語 = nullptr;
    tamsel::TabbedDialog* SSTab1 = nullptr;
    QLabel* lbl得点 = nullptr;
    QLabel* lbl秒 = nullptr;
    std::array<std::vector<QCheckBox*>, tamsel::itemCount> chkTamsel; // [n - 1][box - 1]
    std::array<QLabel*, tamsel::itemCount> pctマル{};                 // [n - 1]
    QPixmap markPicture_;
    tamsel::AnswerSheetKeys* answerKeys_ = nullptr;
    QTimer* tmr時間 = nullptr;
    tamsel::Announcer* announcer_ = nullptr; // speaks the score and time-up to a screen reader
    bool tickingFromReader_ = false;         // a tick from the booklet is told in one phrase
};
