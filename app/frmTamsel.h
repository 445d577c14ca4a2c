#pragma once
// The exam window: the booklet viewer, the answer sheet, the exam buttons, the time and score
// displays and the menu. It owns its controls and wires their events to its handlers; marking
// and the countdown's arithmetic are done by the core. The clock and the media player are lent
// to it, so that tests can put fakes in their place.

#include "app/Countdown.h"
#include "marking/Marking.h"

#include <QMainWindow>

#include <array>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tamsel {
class Clock;
class MediaPlayer;
class PictureBox;
class RichTextBox;
class TabbedDialog;
} // namespace tamsel

class frmTamsel final : public QMainWindow {
    Q_OBJECT

public:
    frmTamsel(const tamsel::Clock& clock, tamsel::MediaPlayer& player, QWidget* parent = nullptr);

    void cmdスタート_Click();
    void tmr時間_Timer();
    void cmd得点_Click();

private:
    void buildMenus();
    void buildControls(QWidget* client);
    void buildBookletViewer(QWidget* client);
    void buildAnswerSheet(QWidget* client);
    void centreOnScreen();
    tamsel::SheetBoxes readAnswerSheet() const;
    void PlaySound();
    void showScore(const QString& score);

    const tamsel::Clock& clock_;
    tamsel::MediaPlayer& MMControl1;
    const QString chimePath_; // the chime beside the executable
    tamsel::Countdown countdown_;

    QAction* mnuExit = nullptr;
    QAction* mnuAbout = nullptr;
    QPushButton* cmdスタート = nullptr;
    QPushButton* cmd得点 = nullptr;
    QPushButton* cmd合格率 = nullptr;
    tamsel::TabbedDialog* stb英語 = nullptr;
    tamsel::RichTextBox* RichTextBox1 = nullptr;
    std::array<tamsel::PictureBox*, 7> Picture{};
    tamsel::TabbedDialog* SSTab1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lbl得点 = nullptr;
    QLabel* lbl秒 = nullptr;
    std::array<std::vector<QCheckBox*>, tamsel::itemCount> chkTamsel; // [n - 1][box - 1]
    std::array<QLabel*, tamsel::itemCount> pctマル{};                 // [n - 1]
    QTimer* tmr時間 = nullptr;
};
