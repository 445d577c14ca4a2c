#include "app/frmTamsel.h"

#include "app/AppFolder.h"
#include "app/Clock.h"
#include "app/DesignWidgets.h"
#include "app/ExamWindowDesign.h"
#include "app/MediaPlayer.h"
#include "app/PictureBox.h"
#include "app/TabbedDialog.h"
#include "documents/RichTextBox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>

using namespace tamsel;
namespace design = tamsel::examdesign;

namespace {

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

qsizetype distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return colours.size();
}

// The mark icon holds several images, all read as 32-bit; the 32 × 32 one with the most colours
// has the smoothest ring.
QPixmap loadMarkPicture()
{
    QImageReader reader(QString::fromUtf8(design::markPicture));
    QImage best;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.width() == 32 &&
            (best.isNull() || distinctColours(image) > distinctColours(best)))
            best = image;
    }
    return QPixmap::fromImage(best);
}

TabbedDialog* makeTabbedDialog(const design::TabbedDialogDesign& d, QWidget* parent)
{
    auto* dialog = new TabbedDialog(d.tabsPerRow, twipsToPixels(design::tabRowHeight), parent);
    dialog->setObjectName(QString::fromUtf8(d.name));
    dialog->setFont(makeFont(design::tabFont));
    dialog->setGeometry(toPixels(d.rect));
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

frmTamsel::frmTamsel(const Clock& clock, MediaPlayer& player, QWidget* parent)
    : QMainWindow(parent)
    , clock_(clock)
    , MMControl1(player)
    , chimePath_(AppFolder(QCoreApplication::applicationDirPath()) + QStringLiteral("Zikan.wav"))
{
    setObjectName(QStringLiteral("frmTamsel"));
    setWindowTitle(QString::fromUtf8(design::caption));
    setFont(makeFont(design::windowFont));
    setWindowIcon(QIcon(QString::fromUtf8(design::markPicture)));

    buildMenus();
    auto* client = new PictureBox(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFrameShape(QFrame::NoFrame);
    client->setPicture(QPixmap(QString::fromUtf8(design::backgroundPicture)));
    client->setFixedSize(toPixels(design::clientArea));
    setCentralWidget(client);
    buildControls(client);

    tmr時間 = new QTimer(this);
    tmr時間->setObjectName(QStringLiteral("tmr時間"));
    tmr時間->setInterval(1000);
    tmr時間->setTimerType(Qt::PreciseTimer);
    connect(tmr時間, &QTimer::timeout, this, &frmTamsel::tmr時間_Timer);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    centreOnScreen();
    cmdスタート->setFocus();
}

void frmTamsel::buildMenus()
{
    QMenu* mnuGame = menuBar()->addMenu(QStringLiteral("ゲーム(&G)"));
    mnuGame->setObjectName(QStringLiteral("mnuGame"));
    mnuExit = mnuGame->addAction(QStringLiteral("終了(&Q)"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("バージョン情報(&A)"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
}

// Controls are made in their tab order, since Qt's focus chain follows the order of creation.
void frmTamsel::buildControls(QWidget* client)
{
    cmdスタート = makeButton(design::startButton, client);
    buildBookletViewer(client);
    Label1 = makeLabel(design::timeFrameLabel, client);
    cmd得点 = makeButton(design::scoreButton, client);
    Label2 = makeLabel(design::scoreFrameLabel, client);
    Label4 = makeLabel(design::averageLabel, client);
    cmd合格率 = makeButton(design::passRateButton, client);
    lbl得点 = makeLabel(design::scoreDisplay, client);
    lbl秒 = makeLabel(design::timeDisplay, client);
    buildAnswerSheet(client);

    // The displays stand in front of their frame texts, in the gaps left for them.
    lbl秒->raise();
    lbl得点->raise();

    connect(cmdスタート, &QPushButton::clicked, this, &frmTamsel::cmdスタート_Click);
    connect(cmd得点, &QPushButton::clicked, this, &frmTamsel::cmd得点_Click);
}

void frmTamsel::buildBookletViewer(QWidget* client)
{
    stb英語 = makeTabbedDialog(design::bookletViewer, client);
    for (int tab = 0; tab < static_cast<int>(design::bookletPages.size()); ++tab) {
        const design::BookletPageDesign& page = design::bookletPages[static_cast<size_t>(tab)];
        stb英語->addTab(QString::fromUtf8(page.caption));
        QWidget* control = nullptr;
        if (tab == 0) {
            RichTextBox1 = new RichTextBox;
            QFile booklet(QString::fromUtf8(design::bookletDocument));
            if (booklet.open(QIODevice::ReadOnly))
                RichTextBox1->setRtf(booklet.readAll());
            control = RichTextBox1;
        } else {
            auto* picture = new PictureBox(nullptr);
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            Picture[static_cast<size_t>(tab - 1)] = picture;
            control = picture;
        }
        control->setObjectName(QString::fromUtf8(page.controlName));
        stb英語->place(tab, control, toPixels(page.rect));
    }
}

void frmTamsel::buildAnswerSheet(QWidget* client)
{
    SSTab1 = makeTabbedDialog(design::answerSheet, client);
    const QPixmap mark = loadMarkPicture();
    for (int n = 1; n <= itemCount; ++n) {
        const AnswerItem& item = answerItems[static_cast<size_t>(n - 1)];
        const design::AnswerItemDesign& look =
            design::answerItemDesigns[static_cast<size_t>(n - 1)];
        const QString label = utf8(item.label);
        const int tab = n - 1;
        SSTab1->addTab(label);

        auto* frame = new QGroupBox(QString::fromUtf8(design::frameCaption));
        frame->setObjectName(QStringLiteral("Frame%1").arg(n));
        SSTab1->place(tab, frame,
                      toPixels(TwipsRect{look.frameLeft, design::frameTop, look.frameWidth,
                                         design::frameHeight}));
        auto& boxes = chkTamsel[static_cast<size_t>(n - 1)];
        for (int box = 1; box <= item.boxCount; ++box) {
            auto* check = new QCheckBox(utf8(choiceCaptions[static_cast<size_t>(box - 1)]), frame);
            check->setObjectName(QStringLiteral("chkTamsel%1").arg(n));
            check->setProperty("Index", box);
            check->setAccessibleDescription(label);
            const int width =
                box == 1 && look.wideFirstBox ? design::wideBoxWidth : design::boxWidth;
            check->setGeometry(toPixels(TwipsRect{(*look.boxLefts)[static_cast<size_t>(box - 1)],
                                                  design::boxTop, width, design::boxHeight}));
            if (box == 2 && look.smallSecondBox)
                check->setFont(makeFont(design::smallBoxFont));
            boxes.push_back(check);
        }

        auto* ring = new QLabel;
        ring->setObjectName(QStringLiteral("pctマル"));
        ring->setProperty("Index", n);
        ring->setPixmap(mark);
        ring->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        ring->setAccessibleName(utf8(design::markName));
        SSTab1->place(tab, ring,
                      toPixels(TwipsRect{look.markLeft, design::markTop, design::markSize,
                                         design::markSize}));
        ring->hide();
        pctマル[static_cast<size_t>(n - 1)] = ring;
    }
}

void frmTamsel::centreOnScreen()
{
    if (const QScreen* screen = this->screen()) {
        QRect frame({}, sizeHint());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
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

void frmTamsel::cmdスタート_Click()
{
    tmr時間->start();
    countdown_.start(clock_.secondsSinceEpoch());
    lbl秒->setText(countdown_.display());
    cmdスタート->setEnabled(false);
    showScore(QString());
    for (QLabel* mark : pctマル)
        mark->setVisible(false);
}

void frmTamsel::tmr時間_Timer()
{
    if (countdown_.tick(clock_.secondsSinceEpoch()))
        lbl秒->setText(countdown_.display());

    MMControl1.setFileName(chimePath_);
    MMControl1.open();

    // Time-up is what the display says, so the chime and the shown "0:00" never disagree.
    if (lbl秒->text() == Countdown::timeUpText) {
        tmr時間->stop();
        PlaySound();
    }
}

void frmTamsel::showScore(const QString& score)
{
    setTextAndFit(lbl得点, score, twipsToPixels(design::scoreDisplay.rect.width));
}

void frmTamsel::PlaySound()
{
    MMControl1.prev();
    MMControl1.play();
}

void frmTamsel::cmd得点_Click()
{
    cmdスタート->setEnabled(true);
    lbl秒->setText(QString());
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
    showScore(QString::number(marking.TotalScore));
}
