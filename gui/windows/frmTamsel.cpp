#include "windows/frmTamsel.h"

#include "controls/Announcer.h"
#include "controls/AnswerSheetKeys.h"
#include "controls/Densities.h"
#include "controls/DisplayLabel.h"
#include "controls/PictureBox.h"
#include "controls/RichTextBox.h"
#include "controls/TabbedDialog.h"
#include "design/DesignText.h"
#include "design/ExamWindowDesign.h"
#include "design/HelpWindowDesign.h"
#include "design/PassLineDesigns.h"
#include "design/SpokenTexts.h"
#include "forms/FormBuilder.h"
#include "forms/ScreenPlacement.h"
#include "forms/WindowShelf.h"
#include "passline/ScoreBands.h"
#include "pictures/FigureDescriptions.h"
#include "pictures/IconImages.h"
#include "sound/MediaPlayer.h"
#include "system/AppFolder.h"
#include "system/Clock.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

using namespace tamsel;
namespace design = tamsel::examdesign;

namespace {

// The exit command closes the exam window, then the pass-line windows in their order, then the
// help window.
constexpr auto exitOrder = [] {
    std::array<const char*, passlinedesign::windows.size() + 1> names{};
    for (size_t i = 0; i < passlinedesign::windows.size(); ++i)
        names[i] = passlinedesign::windows[i].form.name;
    names.back() = helpdesign::window.form.name;
    return names;
}();

TabbedDialog* makeTabbedDialog(const design::TabbedDialogDesign& d, QWidget* parent)
{
    auto* dialog = new TabbedDialog(d.tabsPerRow, twipsToPixels(design::tabRowHeight), parent);
    dialog->setObjectName(designText(d.name));
    dialog->setFont(makeFont(design::tabFont));
    dialog->setGeometry(toPixels(d.rect));
    dialog->setAccessibleName(designText(d.accessibleName));
    return dialog;
}

BoxState boxStateOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Unchecked:
        break;
    case Qt::Checked:
        return BoxState::Ticked;
    case Qt::PartiallyChecked:
        return BoxState::Grayed;
    }
    return BoxState::Clear;
}

} // namespace

frmTamsel::frmTamsel(const Clock& clock, MediaPlayer& player, WindowShelf& shelf, QWidget* parent)
    : QMainWindow(parent)
    , clock_(clock)
    , MMControl1(player)
    , shelf_(shelf)
    , chimePath_(AppFolder() + QStringLiteral("Zikan.wav"))
{
    const MenuActions menus = buildMenus(menuBar(), design::menus);
    connect(menuAction(menus, "mnuExit"), &QAction::triggered, this, &frmTamsel::mnuExit_Click);
    connect(menuAction(menus, "mnuAbout"), &QAction::triggered, this, &frmTamsel::mnuAbout_Click);

    PictureBox* client = buildForm(this, design::form);
    client->setObjectName(QStringLiteral("client"));
    buildControls(client);
    setClientArea(this, client);

    tmr時間 = new QTimer(this);
    tmr時間->setObjectName(QStringLiteral("tmr時間"));
    tmr時間->setInterval(1000);
    tmr時間->setTimerType(Qt::PreciseTimer);
    connect(tmr時間, &QTimer::timeout, this, &frmTamsel::tmr時間_Timer);

    auto* timeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    connect(timeKey, &QShortcut::activated, this, &frmTamsel::tellTime);
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, &frmTamsel::openMenuBar);

    centreOnScreen(this);
    cmdスタート->setFocus();
}

// Controls are made in their tab order, since Qt's focus chain follows the order of creation.
// Each display comes right after its frame text: it stands in front of it, in the gap left for
// it. The displays speak a whole phrase ("あと 59 分", "72 点"); the frames, there for the eye,
// stay out of a screen reader's review, and no name carries the layout spaces of a caption.
void frmTamsel::buildControls(QWidget* client)
{
    cmdスタート = makeButton(design::startButton, client);
    buildBookletViewer(client);
    designLabel(new DisplayFrame(client), design::timeFrameLabel);
    lbl秒 = designLabel(new DisplayLabel(client), design::timeDisplay);
    cmd得点 = makeButton(design::scoreButton, client);
    cmd得点->setAccessibleName(QString::fromUtf16(spoken::scoreButton));
    designLabel(new DisplayFrame(client), design::scoreFrameLabel);
    lbl得点 = designLabel(new DisplayLabel(client), design::scoreDisplay);
    makeLabel(design::averageLabel, client);
    cmd合格率 = makeButton(design::passRateButton, client);
    buildAnswerSheet(client);
    // The booklet's text and figures, where the student reads, answer the item in view too.
    for (int tab = 0; tab < stb英語->count(); ++tab) {
        for (QWidget* reader :
             stb英語->page(tab)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            answerKeys_->answerFrom(reader);
    }
    announcer_ = new Announcer(client);
    answerKeys_->setFromReader({.tick = [this](QCheckBox* box) { tickFromReader(box); },
                                .reached = [this](int page) { tellItem(page + 1); }});

    connect(cmdスタート, &QPushButton::clicked, this, &frmTamsel::cmdスタート_Click);
    connect(cmd得点, &QPushButton::clicked, this, &frmTamsel::cmd得点_Click);
    connect(cmd合格率, &QPushButton::clicked, this, &frmTamsel::cmd合格率_Click);
}

void frmTamsel::buildBookletViewer(QWidget* client)
{
    stb英語 = makeTabbedDialog(design::bookletViewer, client);
    for (const design::BookletPageDesign& page : design::bookletPages) {
        const int tab = stb英語->count();
        stb英語->addTab(designText(page.caption));
        const QString resource = designText(page.resource);
        QWidget* control = nullptr;
        switch (page.kind) {
        case design::PageKind::Document:
            control = makeRichTextBox(
                {page.controlName, page.rect, design::form.font, page.resource}, nullptr);
            break;
        case design::PageKind::Figure: {
            auto* picture = new PictureBox(nullptr, PictureBox::Kind::Figure);
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            picture->setPicture(DensityPicture::decodeWhenNeeded(resource));
            // A figure is a stop of the keyboard, so that a screen reader reads what it shows.
            picture->setFocusPolicy(Qt::StrongFocus);
            // Its focus brings the first sentence, what the figure is; the others are read one
            // at a time from there, so that coming back to a figure brings no long text.
            const QStringList sentences = sentencesOf(figureDescription(resource));
            picture->setAccessibleDescription(sentences.value(0));
            picture->setReadingText(sentences);
            control = picture;
            break;
        }
        }
        control->setObjectName(designText(page.controlName));
        control->setAccessibleName(stb英語->tabText(tab));
        stb英語->place(tab, control, toPixels(page.rect));
    }
}

void frmTamsel::buildAnswerSheet(QWidget* client)
{
    SSTab1 = makeTabbedDialog(design::answerSheet, client);
    for (const AnswerItem& item : answerItems)
        SSTab1->addTab(designText(item.label));
    const QString markPath = designText(design::markPicture);
    const DensityPicture marks(QPixmap::fromImage(richestImage(markPath, 32)),
                               twiceTheSizePath(markPath));
    markPicture_ = marks.forDensity(SSTab1->devicePixelRatioF());
    answerKeys_ = new AnswerSheetKeys(SSTab1, [this](int item) -> const std::vector<QCheckBox*>& {
        return chkTamsel[static_cast<size_t>(item)];
    });
    for (int n = 1; n <= itemCount; ++n)
        buildAnswerItem(n);
    describeItems();
}

void frmTamsel::buildAnswerItem(int n)
{
    const AnswerItem& item = answerItems[static_cast<size_t>(n - 1)];
    const design::AnswerItemDesign& look = design::answerItemDesigns[static_cast<size_t>(n - 1)];
    const QString label = designText(item.label);
    const int tab = n - 1;

    auto* frame = new QGroupBox(designText(design::frameCaption));
    frame->setObjectName(QStringLiteral("Frame%1").arg(n));
    // The boxes take the frame for their label, so that a screen reader says their item as the
    // focus comes into the frame, once: a box does not repeat it.
    frame->setAccessibleName(label + u' ' + frame->title());
    SSTab1->place(tab, frame,
                  toPixels(TwipsRect{look.frameLeft, design::frameTop, look.frameWidth,
                                     design::frameHeight}));
    auto& boxes = chkTamsel[static_cast<size_t>(n - 1)];
    for (int box = 1; box <= item.boxCount; ++box) {
        auto* check =
            new QCheckBox(designText(choiceCaptions[static_cast<size_t>(box - 1)]), frame);
        check->setObjectName(QStringLiteral("chkTamsel%1").arg(n));
        check->setProperty("Index", box);
        const int width = box == 1 && look.wideFirstBox ? design::wideBoxWidth : design::boxWidth;
        check->setGeometry(toPixels(TwipsRect{(*look.boxLefts)[static_cast<size_t>(box - 1)],
                                              design::boxTop, width, design::boxHeight}));
        if (box == 2 && look.smallSecondBox)
            check->setFont(makeFont(design::smallBoxFont));
        boxes.push_back(check);
        connect(check, &QCheckBox::toggled, this,
                [this, n](bool ticked) { answerChanged(n, ticked); });
    }
    answerKeys_->watch(boxes);

    auto* ring = new QLabel;
    ring->setObjectName(QStringLiteral("pctマル"));
    ring->setProperty("Index", n);
    ring->setPixmap(markPicture_);
    ring->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ring->setAccessibleName(designText(design::markName));
    ring->setAccessibleDescription(label);
    SSTab1->place(
        tab, ring,
        toPixels(TwipsRect{look.markLeft, design::markTop, design::markSize, design::markSize}));
    ring->hide();
    pctマル[static_cast<size_t>(n - 1)] = ring;
}

SheetBoxes frmTamsel::readAnswerSheet() const
{
    SheetBoxes sheet{};
    for (size_t item = 0; item < chkTamsel.size(); ++item) {
        for (size_t box = 0; box < chkTamsel[item].size(); ++box)
            sheet[item][box] = boxStateOf(chkTamsel[item][box]->checkState());
    }
    return sheet;
}

int frmTamsel::ticks(int item) const
{
    return static_cast<int>(
        std::ranges::count_if(chkTamsel[static_cast<size_t>(item - 1)], &QCheckBox::isChecked));
}

void frmTamsel::answerChanged(int item, bool ticked)
{
    describeItem(item);
    if (ticked && ticks(item) == 2 && !tickingFromReader_)
        announcer_->announce(QString::fromUtf16(spoken::severalTicked));
}

void frmTamsel::tickFromReader(QCheckBox* box)
{
    tickingFromReader_ = true;
    box->click();
    tickingFromReader_ = false;
    const int item = SSTab1->currentIndex() + 1;
    announcer_->announce(
        spoken::boxChanged(SSTab1->tabText(item - 1), box->text(), box->isChecked(), ticks(item)));
}

void frmTamsel::tellItem(int item)
{
    QStringList ticked;
    for (const QCheckBox* box : chkTamsel[static_cast<size_t>(item - 1)])
        if (box->isChecked())
            ticked << box->text();
    const bool ringShown = !pctマル[static_cast<size_t>(item - 1)]->isHidden();
    announcer_->announce(spoken::itemReached(SSTab1->tabText(item - 1), ticked, ringShown));
}

void frmTamsel::tellTime()
{
    if (tmr時間->isActive())
        announcer_->announce(lbl秒->accessibleName());
    else if (lbl秒->text() == Countdown::timeUpText)
        announcer_->announce(spoken::timeUp());
    else
        announcer_->announce(spoken::noAttempt());
}

void frmTamsel::openMenuBar()
{
    menuBar()->setActiveAction(menuBar()->actions().constFirst());
}

void frmTamsel::describeItem(int item)
{
    const int ticked = ticks(item);
    SSTab1->setTabMark(item - 1, ticked == 0   ? TabbedDialog::Mark::None
                                 : ticked == 1 ? TabbedDialog::Mark::Dot
                                               : TabbedDialog::Mark::Exclamation);
    const bool ringShown = !pctマル[static_cast<size_t>(item - 1)]->isHidden();
    SSTab1->setTabDescription(item - 1, spoken::itemState(ticked, ringShown));
}

void frmTamsel::describeItems()
{
    for (int n = 1; n <= itemCount; ++n)
        describeItem(n);
}

void frmTamsel::cmdスタート_Click()
{
    // A chime of the last attempt that could not sound yet would sound in this one.
    MMControl1.dropWaiting();
    tmr時間->start();
    countdown_.start(clock_.read());
    showTime(countdown_.display());
    showScore(QString());
    for (QLabel* mark : pctマル)
        mark->setVisible(false);
    describeItems();
    announcer_->announce(spoken::attemptStarted());
    // The Start button goes out of use: the focus goes on to the booklet viewer's page in view,
    // where the attempt begins, rather than to whatever control comes next. A control on another
    // page is out of sight and would take the keys unseen.
    if (cmdスタート->hasFocus())
        stb英語->focusCurrentPage(Qt::OtherFocusReason);
    cmdスタート->setEnabled(false);
}

void frmTamsel::tmr時間_Timer()
{
    const bool changed = countdown_.tick(clock_.read());
    if (changed)
        showTime(countdown_.display());

    MMControl1.setFileName(chimePath_);
    MMControl1.open();

    // Time-up is what the display says, so the chime and the shown "0:00" never disagree.
    if (lbl秒->text() == Countdown::timeUpText) {
        tmr時間->stop();
        PlaySound();
        announcer_->announce(spoken::timeUp());
        // A student whose sound is off sees the window ask for attention.
        QApplication::alert(this);
    } else if (changed &&
               std::ranges::count(spoken::announcedMinutes, countdown_.RemainingMinutes()) > 0) {
        announcer_->announce(lbl秒->accessibleName());
    }
}

void frmTamsel::showTime(const QString& time)
{
    lbl秒->setText(time);
    lbl秒->setAccessibleName(time.isEmpty() ? QString()
                                            : spoken::remainingTime(countdown_.RemainingMinutes()));
}

void frmTamsel::showScore(const QString& score)
{
    setTextAndFit(lbl得点, score, twipsToPixels(design::scoreDisplay.rect.width));
    lbl得点->setAccessibleName(score.isEmpty() ? QString() : spoken::score(score.toInt()));
}

QString frmTamsel::AppFolder()
{
    return programFolder();
}

void frmTamsel::PlaySound()
{
    MMControl1.prev();
    MMControl1.play();
}

void frmTamsel::cmd得点_Click()
{
    // The student has gone on: a chime that has not begun would come too late; one that sounds
    // plays to its end.
    MMControl1.dropWaiting();
    cmdスタート->setEnabled(true);
    showTime(QString());
    tmr時間->stop();

    const SheetMarking marking = markSheet(readAnswerSheet());
    for (size_t n = 0; n < pctマル.size(); ++n) {
        switch (marking.outcomes[n]) {
        case MarkOutcome::Hide:
            pctマル[n]->setVisible(false);
            break;
        case MarkOutcome::Show:
            pctマル[n]->setVisible(true);
            break;
        case MarkOutcome::Leave:
            break;
        }
    }
    describeItems();
    showScore(QString::number(marking.TotalScore));
    const auto rightItems = std::ranges::count(marking.outcomes, MarkOutcome::Show);
    announcer_->announce(
        spoken::marked(marking.TotalScore, static_cast<int>(rightItems), itemCount));
}

void frmTamsel::cmd合格率_Click()
{
    if (const std::optional<int> window = passLineWindowFor(lbl得点->text()))
        shelf_.show(passlinedesign::windows[static_cast<size_t>(*window - 1)], this);
}

void frmTamsel::mnuAbout_Click()
{
    shelf_.show(helpdesign::window, this);
}

void frmTamsel::mnuExit_Click()
{
    close();
    shelf_.close(exitOrder);
}

void frmTamsel::closeEvent(QCloseEvent* event)
{
    tmr時間->stop();
    QMainWindow::closeEvent(event);
}
