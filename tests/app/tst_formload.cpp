// The main window's load: the starting state it brings the window into,
// whatever the previous run left in the store.
#include "support/programrun.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using Stored = QMap<QString, QString>;

// The x of the leftmost dark pixel in the list's first line, or -1.
int firstInkX(const QImage &image, int lineTop, int lineBottom)
{
    for (int x = 0; x < image.width(); ++x) {
        for (int y = lineTop; y <= lineBottom; ++y) {
            if (qGray(image.pixel(x, y)) < 100)
                return x;
        }
    }
    return -1;
}

} // namespace

class TestFormLoad : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void storedFilter_isEmptied_data();
    void storedFilter_isEmptied();
    void counterPatterns_listedOnce_data();
    void counterPatterns_listedOnce();
    void counterLook_followsRestoredTick_data();
    void counterLook_followsRestoredTick();
    void previewAndSelection_startEmpty();
    void restoredRules_driveThePreview();
    void tabStops_data();
    void tabStops();

private:
    QTemporaryDir m_home;
    QString m_work;
    std::unique_ptr<QTemporaryDir> m_case;
    QString m_settings;
};

void TestFormLoad::initTestCase()
{
    QVERIFY(m_home.isValid());
    UseDataHome(m_home.filePath(QStringLiteral("data")));
    m_work = m_home.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(m_work));
    for (const char *name : {"holiday.jpg", "notes.txt", "beach.JPG"})
        QVERIFY(QFile(m_work + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(m_work));
}

void TestFormLoad::init()
{
    m_case = std::make_unique<QTemporaryDir>();
    QVERIFY(m_case->isValid());
    m_settings = m_case->filePath(QStringLiteral("settings.ini"));
}

void TestFormLoad::storedFilter_isEmptied_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("filteredCount");
    QTest::newRow("filter/typed/jpg") << QStringLiteral("jpg") << 2;
    QTest::newRow("filter/typed/two-extensions") << QStringLiteral("txt,gif") << 1;
    QTest::newRow("filter/typed/matches-nothing") << QStringLiteral("png") << 0;
}

// The filter is saved at the close like every text, but each run starts
// with all files listed.
void TestFormLoad::storedFilter_isEmptied()
{
    QFETCH(QString, filter);
    QFETCH(int, filteredCount);
    {
        Run run(m_settings);
        QTest::keyClicks(run.w->FileTypeText1, filter);
        QCOMPARE(run.w->File1->listCount(), filteredCount);
        run.w->close();
    }
    QSettings stored(m_settings, QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("Values/FileTypeText1")).toString(), filter);

    Run run(m_settings);
    QCOMPARE(run.w->FileTypeText1->text(), QString());
    QCOMPARE(run.w->File1->names(),
             QStringList(
                 {QStringLiteral("beach.JPG"), QStringLiteral("holiday.jpg"), QStringLiteral("notes.txt")}));
    QVERIFY(run.box->shown.isEmpty());
}

void TestFormLoad::counterPatterns_listedOnce_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<QString>("shown");

    QTest::newRow("patterns/first-run/no-text") << Stored() << QString();
    QTest::newRow("patterns/stored/listed-with-blank")
        << Stored{{QStringLiteral("CounterFormatCombo"), QStringLiteral(" 000")}} << QStringLiteral(" 000");
    QTest::newRow("patterns/stored/first-entry")
        << Stored{{QStringLiteral("CounterFormatCombo"), QStringLiteral("0")}} << QStringLiteral("0");
    QTest::newRow("patterns/stored/typed-not-listed")
        << Stored{{QStringLiteral("CounterFormatCombo"), QStringLiteral("x00")}} << QStringLiteral("x00");
    QTest::newRow("patterns/stored/empty-text")
        << Stored{{QStringLiteral("CounterFormatCombo"), QString()}} << QString();
    QTest::newRow("patterns/stored/with-empty-start-reset")
        << Stored{{QStringLiteral("CounterFormatCombo"), QStringLiteral("00")},
                  {QStringLiteral("CounterStart"), QString()}}
        << QStringLiteral("00");
}

void TestFormLoad::counterPatterns_listedOnce()
{
    QFETCH(Stored, stored);
    QFETCH(QString, shown);
    if (!stored.isEmpty())
        QVERIFY(writeStore(m_settings, stored));

    Run run(m_settings);
    QCOMPARE(comboEntries(run.w->CounterFormatCombo), CounterPatterns);
    QCOMPARE(run.w->CounterFormatCombo->currentText(), shown);
}

void TestFormLoad::counterLook_followsRestoredTick_data()
{
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<bool>("switchedOn");
    QTest::addColumn<bool>("prefixOn");

    QTest::newRow("look/unticked/grey")
        << Stored{{QStringLiteral("IncludeCountCheck"), QStringLiteral("0")}} << false << true;
    QTest::newRow("look/ticked/white")
        << Stored{{QStringLiteral("IncludeCountCheck"), QStringLiteral("1")}} << true << true;
    // The prefix option is restored first and unticks the counter; the tick
    // restored after it wins.
    QTest::newRow("look/ticked-with-none/white")
        << Stored{{QStringLiteral("Option1(2)"), QStringLiteral("True")},
                  {QStringLiteral("Option1(0)"), QStringLiteral("False")},
                  {QStringLiteral("IncludeCountCheck"), QStringLiteral("1")}}
        << true << false;
    QTest::newRow("look/ticked-with-before/white")
        << Stored{{QStringLiteral("Option1(1)"), QStringLiteral("True")},
                  {QStringLiteral("Option1(0)"), QStringLiteral("False")},
                  {QStringLiteral("IncludeCountCheck"), QStringLiteral("1")}}
        << true << true;
    QTest::newRow("look/ticked-but-empty-start/grey")
        << Stored{{QStringLiteral("Option1(1)"), QStringLiteral("True")},
                  {QStringLiteral("Option1(0)"), QStringLiteral("False")},
                  {QStringLiteral("IncludeCountCheck"), QStringLiteral("1")},
                  {QStringLiteral("CounterStart"), QString()}}
        << false << true;
}

void TestFormLoad::counterLook_followsRestoredTick()
{
    QFETCH(Stored, stored);
    QFETCH(bool, switchedOn);
    QFETCH(bool, prefixOn);
    QVERIFY(writeStore(m_settings, stored));

    Run run(m_settings);
    FileRenamer &w = *run.w;
    QCOMPARE(w.IncludeCountCheck->isChecked(), switchedOn);
    for (QWidget *counterBox :
         {static_cast<QWidget *>(w.CounterFormatCombo), static_cast<QWidget *>(w.CounterStart)}) {
        QCOMPARE(counterBox->isEnabled(), switchedOn);
        QCOMPARE(background(counterBox), switchedOn ? White : Grey);
    }
    QCOMPARE(w.Prefixtext->isEnabled(), prefixOn);
}

void TestFormLoad::previewAndSelection_startEmpty()
{
    QVERIFY(writeStore(m_settings,
                       {{QStringLiteral("List1"), QStringLiteral("holiday.jpg\t --> Trip.jpg")},
                        {QStringLiteral("File1"), QStringLiteral("holiday.jpg")},
                        {QStringLiteral("Prefixtext"), QStringLiteral("Trip")}}));
    Run run(m_settings);
    QCOMPARE(run.w->List1->listCount(), 0);
    QCOMPARE(run.w->List1->selectedText(), QString());
    QCOMPARE(run.w->File1->listCount(), 3);
    QCOMPARE(run.w->File1->selectedRows().toList(), QList<int>());
    QCOMPARE(run.w->SelectedCount(), 0);
}

// The restored rules are the ones the next preview uses.
void TestFormLoad::restoredRules_driveThePreview()
{
    QVERIFY(writeStore(m_settings,
                       {{QStringLiteral("Prefixtext"), QStringLiteral("Trip")},
                        {QStringLiteral("CounterFormatCombo"), QStringLiteral(" 000")},
                        {QStringLiteral("CounterStart"), QStringLiteral("5")},
                        {QStringLiteral("IncludeCountCheck"), QStringLiteral("1")},
                        {QStringLiteral("Option2(1)"), QStringLiteral("True")},
                        {QStringLiteral("Option2(0)"), QStringLiteral("False")}}));
    Run run(m_settings);
    QTest::mouseClick(run.w->SelectAll, Qt::LeftButton);
    const QStringList expected
        = {QStringLiteral("beach.JPG\t --> TRIP 005.JPG"), QStringLiteral("holiday.jpg\t --> TRIP 006.JPG"),
           QStringLiteral("notes.txt\t --> TRIP 007.TXT")};
    QCOMPARE(run.w->List1->lines(), expected);
}

void TestFormLoad::tabStops_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("quarters");

    QTest::newRow("tabs/first-stop/from-line-start") << QStringLiteral("\t") << 20;
    QTest::newRow("tabs/first-stop/after-short-name") << QStringLiteral("ab\t") << 20;
    QTest::newRow("tabs/second-stop/two-tabs") << QStringLiteral("\t\t") << 130;
    QTest::newRow("tabs/second-stop/name-past-first-stop") << QStringLiteral("abcdefgh\t") << 130;
}

// Lines are drawn with their tab stops at 20 and 130 quarters of the list
// font's average character width: the text behind the tabs starts there.
void TestFormLoad::tabStops()
{
    QFETCH(QString, before);
    QFETCH(int, quarters);

    Run run(m_settings);
    PreviewList *list = run.w->List1;
    QVERIFY(QTest::qWaitForWindowExposed(run.w.get()));

    // The same marker, once at the line's start and once behind the tabs;
    // whatever precedes the tabs is drawn in the background colour's place
    // by blanks of the same count, so only the marker leaves ink.
    // The list's delegate draws the lines of whatever model it shows.
    QStringListModel shown;
    list->setModel(&shown);
    const auto inkOf = [&](const QString &line) {
        shown.setStringList({line});
        QCoreApplication::processEvents();
        const QRect firstLine = list->visualRect(list->model()->index(0, 0));
        const QImage image = list->viewport()->grab().toImage();
        return firstInkX(image, firstLine.top(), firstLine.bottom());
    };
    QString blanks = before;
    blanks.remove(QLatin1Char('\t'));
    blanks.fill(QLatin1Char(' '));
    const int atStart = inkOf(QStringLiteral("|"));
    const int behindTabs
        = inkOf(blanks + before.right(before.count(QLatin1Char('\t'))) + QStringLiteral("|"));
    QVERIFY(atStart >= 0);
    QVERIFY(behindTabs > atStart);

    const qreal charWidth = QFontMetricsF(list->font()).averageCharWidth();
    QVERIFY(charWidth > 0);
    QVERIFY2(qAbs((behindTabs - atStart) - quarters * charWidth / 4) <= 1.5,
             qPrintable(QStringLiteral("marker at %1 px, expected %2 px")
                            .arg(behindTabs - atStart)
                            .arg(quarters * charWidth / 4)));
}

QTEST_MAIN(TestFormLoad)
#include "tst_formload.moc"
