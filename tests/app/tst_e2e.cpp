// The whole program twice under a real X server: start, change values with
// real input, close the window, start again and find them back. Every
// platform service is the real one, the settings store included, so the
// test runs only with the temporary home folder that e2e_restart.sh gives it.
#include "app/module2.h"
#include "app/splash.h"
#include "platform/platformservices.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

void clickIndicator(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void retype(QWidget *box, const QString &text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void restart_showsTheValuesOfTheLastRun();

private:
    QString m_store;
};

void TestEndToEnd::initTestCase()
{
    const QString home = qEnvironmentVariable("QUORLANE_E2E_HOME");
    if (home.isEmpty() || qEnvironmentVariable("HOME") != home)
        QSKIP("writes the real per-user settings: run it through e2e_restart.sh, which gives it a temporary "
              "home");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));

    m_store = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Quorlane/SaveFormSettings.conf");
    QVERIFY2(m_store.startsWith(home), qPrintable(m_store));
    QVERIFY(!QFile::exists(m_store));

    const QString photos = home + QStringLiteral("/photos");
    QVERIFY(QDir().mkpath(photos));
    QVERIFY(QFile(photos + QStringLiteral("/holiday.jpg")).open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(photos));
}

void TestEndToEnd::restart_showsTheValuesOfTheLastRun()
{
    {
        auto services = std::make_unique<PlatformServices>();
        Module2::Main(*services);
        std::unique_ptr<FileRenamer> w(Module2::MainWindow());
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(!Splash::instance());

        clickIndicator(w->Option1[1]);
        clickIndicator(w->Option2[1]);
        QTest::keyClicks(w->Prefixtext, QStringLiteral("Trip"));
        clickIndicator(w->IncludeCountCheck);
        QVERIFY(w->CounterFormatCombo->isEnabled());
        for (int i = 0; i < 12 && w->CounterFormatCombo->currentText() != QLatin1String(" 000"); ++i)
            QTest::keyClick(w->CounterFormatCombo, Qt::Key_Down);
        QCOMPARE(w->CounterFormatCombo->currentText(), QStringLiteral(" 000"));
        retype(w->CounterStart, QStringLiteral("5"));
        QTest::keyClicks(w->FileTypeText1, QStringLiteral("gif"));
        QCOMPARE(w->File1->listCount(), 0);

        // The user closes the window while the program runs its event loop:
        // the values are saved and the loop ends.
        QTimer::singleShot(0, w.get(), [&w] { w->close(); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!w->isVisible());
        QVERIFY(QFile::exists(m_store));
    }

    auto services = std::make_unique<PlatformServices>();
    Module2::Main(*services);
    std::unique_ptr<FileRenamer> w(Module2::MainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    QVERIFY(w->Option1[1]->isChecked());
    QVERIFY(w->Option2[1]->isChecked());
    QCOMPARE(w->Prefixtext->text(), QStringLiteral("Trip"));
    QVERIFY(w->IncludeCountCheck->isChecked());
    QCOMPARE(w->CounterFormatCombo->currentText(), QStringLiteral(" 000"));
    QCOMPARE(w->CounterStart->text(), QStringLiteral("5"));
    QVERIFY(w->CounterFormatCombo->isEnabled());
    QVERIFY(w->CounterStart->isEnabled());
    QCOMPARE(w->FileTypeText1->text(), QString());
    QCOMPARE(w->File1->names(), QStringList{QStringLiteral("holiday.jpg")});

    QTest::mouseClick(w->SelectAll, Qt::LeftButton);
    QCOMPARE(w->List1->lines(), QStringList{QStringLiteral("holiday.jpg\t --> TRIPHOLIDAY 005.JPG")});

    w->close();
    QSettings stored(m_store, QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("Values/CounterStart")).toString(), QStringLiteral("5"));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
