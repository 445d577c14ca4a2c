// Every focus indicator of the exam window is a closed outline at least two pixels wide whose
// pixels stand out at least 3:1 from the same pixels without the focus and from the face inside
// it, at the screen scale of the run (ctest runs it at 1, 1.5 and 2). A focused button once
// changed only the shade of its one-pixel border (2.35:1), a check box's ring was open on its
// right side, cut off by the box's edge, and the tab list's outline was one pixel wide.

#include "ExamWindowFixture.h"
#include "controls/TabbedDialog.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <cmath>
#include <vector>

using namespace tamsel;

namespace {

double luminance(QColor c)
{
    const auto linear = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr double leastContrast = 3.0;

// The pixels of focused that stand out enough from the same pixels of unfocused.
class Ring {
public:
    Ring(const QImage& focused, const QImage& unfocused)
        : focused_(focused)
        , width_(focused.width())
        , height_(focused.height())
        , on_(static_cast<size_t>(width_ * height_))
    {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x)
                on_[index({x, y})] =
                    contrast(focused.pixelColor(x, y), unfocused.pixelColor(x, y)) >= leastContrast;
        }
    }

    // What is wrong with the ring, or nothing: it must close round the middle of its extent, be
    // at least width pixels wide on each side, and stand out from the face just inside it.
    QString fault(int width) const
    {
        QRect extent;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (on({x, y}))
                    extent |= QRect(x, y, 1, 1);
            }
        }
        if (extent.isEmpty())
            return QStringLiteral("nothing changes with the focus");
        const QPoint middle = extent.center();
        if (reachesFromTheEdge(middle))
            return QStringLiteral("the ring is open: (%1, %2) lies outside it")
                .arg(middle.x())
                .arg(middle.y());
        for (const QPoint step : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
            QPoint at = middle;
            while (!on(at))
                at += step;
            const QColor inside = focused_.pixelColor(at - step);
            int run = 0;
            for (; inside_(at) && on(at); at += step) {
                if (contrast(focused_.pixelColor(at), inside) < leastContrast)
                    return QStringLiteral("at (%1, %2) the ring %3 is too close to %4 inside it")
                        .arg(at.x())
                        .arg(at.y())
                        .arg(focused_.pixelColor(at).name(), inside.name());
                ++run;
            }
            if (run < width)
                return QStringLiteral("%1 pixels wide towards (%2, %3), not %4")
                    .arg(run)
                    .arg(step.x())
                    .arg(step.y())
                    .arg(width);
        }
        return {};
    }

private:
    size_t index(QPoint p) const { return static_cast<size_t>(p.y() * width_ + p.x()); }
    bool inside_(QPoint p) const
    {
        return p.x() >= 0 && p.y() >= 0 && p.x() < width_ && p.y() < height_;
    }
    bool on(QPoint p) const { return inside_(p) && on_[index(p)]; }

    // Whether a path of pixels off the ring, diagonal steps included, leads from the image's
    // edge to target.
    bool reachesFromTheEdge(QPoint target) const
    {
        std::vector<bool> seen(on_.size());
        std::vector<QPoint> todo;
        for (int x = 0; x < width_; ++x)
            todo.insert(todo.end(), {QPoint(x, 0), QPoint(x, height_ - 1)});
        for (int y = 0; y < height_; ++y)
            todo.insert(todo.end(), {QPoint(0, y), QPoint(width_ - 1, y)});
        while (!todo.empty()) {
            const QPoint p = todo.back();
            todo.pop_back();
            if (!inside_(p) || on(p) || seen[index(p)])
                continue;
            if (p == target)
                return true;
            seen[index(p)] = true;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx)
                    todo.push_back(p + QPoint(dx, dy));
            }
        }
        return false;
    }

    QImage focused_;
    int width_;
    int height_;
    std::vector<bool> on_;
};

} // namespace

class TestFocusRings final : public QObject, ExamWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepare(); }
    void init() { QVERIFY(open()); }
    void cleanup() { close(); }

    void everyFocusShowsAClosedRing_data();
    void everyFocusShowsAClosedRing();
};

void TestFocusRings::everyFocusShowsAClosedRing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("page");
    QTest::newRow("button スタート") << u"cmdスタート"_qs << 0;
    QTest::newRow("check box ⑤ of 1-A1") << u"chkTamsel1"_qs << 0;
    QTest::newRow("check box ⑧ of 4-A1-1") << u"chkTamsel18"_qs << 17;
    QTest::newRow("answer sheet's tab list") << u"SSTab1"_qs << 0;
    QTest::newRow("booklet's text") << u"RichTextBox1"_qs << 0;
    QTest::newRow("figure 図５") << u"Picture4"_qs << 4;
}

void TestFocusRings::everyFocusShowsAClosedRing()
{
    QFETCH(QString, control);
    QFETCH(int, page);
    QVERIFY(activate());
    answerSheet()->setCurrentIndex(page);
    find<TabbedDialog>(u"stb英語"_qs)->setCurrentIndex(page);
    // The last box of an item where there are several.
    const QList<QWidget*> named = window->findChildren<QWidget*>(control);
    QVERIFY(!named.isEmpty());
    QWidget* focusable = named.last();
    // The control as drawn, or the tab list's selected tab.
    QRect area = focusable->rect();
    if (auto* tabs = qobject_cast<TabbedDialog*>(focusable))
        area = tabs->tabRect(page).adjusted(-1, 0, 1, 1);

    button(u"cmd合格率"_qs)->setFocus(Qt::TabFocusReason);
    const QImage unfocused = focusable->grab(area).toImage();
    focusable->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), focusable);
    const QImage focused = focusable->grab(area).toImage();

    const qreal scale = focused.devicePixelRatio();
    const QString fault = Ring(focused, unfocused).fault(qFloor(2 * scale));
    if (!fault.isEmpty())
        focused.save(QDir::temp().filePath(QStringLiteral("focus-%1.png").arg(control)));
    QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("at %1x: %2").arg(scale).arg(fault)));
}

QTEST_MAIN(TestFocusRings)
#include "tst_focusrings.moc"
