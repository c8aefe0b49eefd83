// The start of the program: the splash while the main window loads, the
// about box, the end when the main window closes, and the message box.
#include "app/module2.h"
#include "app/splash.h"
#include "support/newdrive.h"
#include "support/realvolume.h"
#include "support/testservices.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Records, in order, when the splash and the main window are shown, hidden
// and destroyed, and whether the splash is up while the main window loads
// (the load switches the counter boxes on when the store says "ticked").
class WindowEvents : public QObject {
public:
    QStringList seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QString name = watched->objectName();
        const bool window = name == QLatin1String("Splash") || name == QLatin1String("FileRenamer");
        if (window && event->type() == QEvent::Show) {
            add(name + QStringLiteral(" shown"));
            if (name == QLatin1String("Splash"))
                connect(watched, &QObject::destroyed, this,
                        [this] { add(QStringLiteral("Splash destroyed")); });
        } else if (window && event->type() == QEvent::Hide) {
            add(name + QStringLiteral(" hidden"));
        } else if (name == QLatin1String("CounterFormatCombo") && event->type() == QEvent::EnabledChange) {
            const Splash *splash = Splash::instance();
            add(splash && splash->isVisible() ? QStringLiteral("loading under the splash")
                                              : QStringLiteral("loading without the splash"));
        }
        return false;
    }

private:
    void add(const QString &entry)
    {
        if (seen.isEmpty() || seen.last() != entry)
            seen.append(entry);
    }
};

int splashWindowCount()
{
    int count = 0;
    for (const QWidget *window : QApplication::topLevelWidgets())
        count += window->objectName() == QLatin1String("Splash") ? 1 : 0;
    return count;
}

void destroyClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What a modal message box showed, and the answer given to it.
struct SeenBox {
    bool shown = false;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers the next modal message box once it is up: notes what it shows,
// then acts as the user does.
void answerNextBox(SeenBox *seen, const std::function<void(QMessageBox *)> &answer, int tries = 200)
{
    QTimer::singleShot(0, qApp, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (tries > 0)
                answerNextBox(seen, answer, tries - 1);
            return;
        }
        seen->shown = true;
        seen->text = box->text();
        seen->title = box->windowTitle();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        answer(box);
    });
}

enum class Answer { EscapeKey, EnterKey, ClickOk, ClickCancel, CloseBox };

void give(QMessageBox *box, Answer answer)
{
    switch (answer) {
    case Answer::EscapeKey:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Answer::EnterKey:
        QTest::keyClick(box, Qt::Key_Return);
        break;
    case Answer::ClickOk:
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        break;
    case Answer::ClickCancel:
        QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton);
        break;
    case Answer::CloseBox:
        box->close();
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void main_showsSplashWhileLoadingThenMainWindow();
    void main_startFolder_data();
    void main_startFolder();
    void main_drives_data();
    void main_drives();
    void label2_showsOneAboutBox();
    void aboutBox_closedAndOpenedAgain();
    void closingMainWindow_closesAboutBox();
    void closingMainWindow_endsEventLoop();
    void splash_look();

    void messageBox_data();
    void messageBox();
    void messageBox_afterMainWindowClosed_stillWaitsForAnswer();

private:
    FileRenamer *startProgram(const QString &startFolder = QString());

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_case;
    QString m_settings;
    std::unique_ptr<PlatformServices> m_services;
    RecordingMessageBox *m_box = nullptr;
    QPointer<FileRenamer> m_window;
};

void TestStartup::initTestCase()
{
    QVERIFY(m_home.isValid());
    UseDataHome(m_home.filePath(QStringLiteral("data")));
    const QString work = m_home.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work));
    QVERIFY(QDir::setCurrent(work));
}

void TestStartup::init()
{
    m_case = std::make_unique<QTemporaryDir>();
    QVERIFY(m_case->isValid());
    m_settings = m_case->filePath(QStringLiteral("settings.ini"));
}

void TestStartup::cleanup()
{
    delete Splash::instance();
    delete m_window;
    m_services.reset();
}

FileRenamer *TestStartup::startProgram(const QString &startFolder)
{
    m_services = MakeTestServices(m_settings, &m_box);
    Module2::Main(*m_services, startFolder);
    m_window = Module2::MainWindow();
    return m_window;
}

void TestStartup::main_showsSplashWhileLoadingThenMainWindow()
{
    {
        QSettings store(m_settings, QSettings::IniFormat);
        store.setValue(QStringLiteral("Values/IncludeCountCheck"), QStringLiteral("1"));
    }
    WindowEvents events;
    qApp->installEventFilter(&events);
    FileRenamer *w = startProgram();
    qApp->removeEventFilter(&events);

    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(w->IncludeCountCheck->isChecked());
    QVERIFY(!Splash::instance());
    const QStringList expected = {QStringLiteral("Splash shown"), QStringLiteral("loading under the splash"),
                                  QStringLiteral("Splash hidden"), QStringLiteral("Splash destroyed"),
                                  QStringLiteral("FileRenamer shown")};
    QCOMPARE(events.seen, expected);
    QVERIFY(m_box->shown.isEmpty());
}

void TestStartup::main_startFolder_data()
{
    // Folders under the case's own folder, "%"; the store holds "restored".
    QTest::addColumn<QString>("given");
    QTest::addColumn<bool>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("start-folder/none/restored-one") << "" << false << "restored";
    QTest::newRow("start-folder/given/replaces-restored") << "%/given" << false << "given";
    QTest::newRow("start-folder/given/relative") << "given" << false << "given";
    QTest::newRow("start-folder/missing/message-then-restored") << "%/gone" << true << "restored";
    QTest::newRow("start-folder/a-file/message-then-restored") << "%/given/a.txt" << true << "restored";
}

// quorlane FOLDER starts on that folder; one that cannot be opened gives one
// message over the window, which starts as it would without it.
void TestStartup::main_startFolder()
{
    QFETCH(QString, given);
    QFETCH(bool, message);
    QFETCH(QString, shown);

    QVERIFY(QDir().mkpath(m_case->filePath(QStringLiteral("restored"))));
    QVERIFY(QDir().mkpath(m_case->filePath(QStringLiteral("given"))));
    QVERIFY(QFile(m_case->filePath(QStringLiteral("given/a.txt"))).open(QIODevice::WriteOnly));
    QSettings(m_settings, QSettings::IniFormat)
        .setValue(QStringLiteral("Values/Dir1"), m_case->filePath(QStringLiteral("restored")));
    QVERIFY(QDir::setCurrent(m_case->path()));
    given.replace(QLatin1Char('%'), m_case->path());

    FileRenamer *w = startProgram(given);
    QDir::setCurrent(m_home.filePath(QStringLiteral("work")));

    QVERIFY(w->isVisible());
    QCOMPARE(w->Dir1->path(), m_case->filePath(shown));
    QCOMPARE(w->File1->path(), m_case->filePath(shown));
    QVERIFY2(w->Dir1->path().startsWith(QDir::fromNativeSeparators(w->Drive1->root())),
             qPrintable(w->Drive1->root()));
    QCOMPARE(m_box->shown.size(), message ? 1 : 0);
    if (message) {
        QCOMPARE(m_box->shown.at(0).text,
                 QStringLiteral("Sorry, the folder cannot be opened:\r") + QDir::toNativeSeparators(given));
        QCOMPARE(m_box->shown.at(0).flags, 16);
        QCOMPARE(m_box->shown.at(0).title, QStringLiteral("Quorlane"));
    }
}

void TestStartup::main_drives_data()
{
    QTest::addColumn<bool>("savedUnavailable"); // the saved drive is listed but does not open
    QTest::addColumn<bool>("held"); // a volume holds its answer while the program starts

    QTest::newRow("start/drives/saved-drive-not-available") << true << false;
#ifndef Q_OS_WIN // a volume that holds its answer is our FUSE layer
    QTest::newRow("start/drives/volume-does-not-answer") << false << true;
#endif
}

// The start waits on no volume but that of the remembered folder: a saved
// drive that does not open (a reader without a card) is skipped without a
// word, and a volume that does not answer joins the drive list once it does.
// The window opens on the remembered folder and shows its drive.
void TestStartup::main_drives()
{
    QFETCH(bool, savedUnavailable);
    QFETCH(bool, held);

    const QString remembered = m_case->filePath(QStringLiteral("restored"));
    QVERIFY(QDir().mkpath(remembered));
    QSettings store(m_settings, QSettings::IniFormat);
    store.setValue(QStringLiteral("Values/Dir1"), QDir::toNativeSeparators(remembered));
    std::unique_ptr<NewDrive> reader;
    if (savedUnavailable) {
        QVERIFY(QFile(m_case->filePath(QStringLiteral("card"))).open(QIODevice::WriteOnly));
        reader = std::make_unique<NewDrive>(m_case->filePath(QStringLiteral("card")));
        if (reader->root().isEmpty())
            QSKIP("A drive is added as root only.");
        store.setValue(QStringLiteral("Values/Drive1"), reader->text());
    }
    store.sync();
    std::unique_ptr<RealVolume> share;
    if (held) {
        const QString missing = RealVolume::missing(RealVolume::Kind::FaultyFolder);
        if (!missing.isEmpty())
            QSKIP(qPrintable(QStringLiteral("needs ") + missing));
        share = std::make_unique<RealVolume>(RealVolume::Kind::FaultyFolder);
        QVERIFY(share->ok());
        QVERIFY(share->arm("statfs 1 hold"));
    }

    FileRenamer *w = startProgram();

    QVERIFY(w->isVisible());
    QCOMPARE(w->Dir1->path(), remembered);
    QCOMPARE(DriveIndexOf({{w->Drive1->drive(), w->Drive1->root()}}, remembered), 0);
    QVERIFY(m_box->shown.isEmpty());
    if (!held)
        return;
    // The volume was asked and holds its answer, shown or not.
    QTRY_VERIFY(share->holding());
    QCOMPARE(w->Drive1->findData(share->path()), -1);
    QVERIFY(share->release());
    QTRY_VERIFY(w->Drive1->findData(share->path()) >= 0);
}

void TestStartup::label2_showsOneAboutBox()
{
    FileRenamer *w = startProgram();
    QVERIFY(!Splash::instance());
    QCOMPARE(splashWindowCount(), 0);

    // Only a left click opens it: no other button, no press released elsewhere.
    const QPoint inside = w->Label2->rect().center();
    QTest::mouseClick(w->Label2, Qt::RightButton, {}, inside);
    QTest::mouseClick(w->Label2, Qt::MiddleButton, {}, inside);
    QTest::mousePress(w->Label2, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(w->Label2, Qt::LeftButton, {}, QPoint(-10, -10));
    QVERIFY(!Splash::instance());

    QTest::mouseClick(w->Label2, Qt::LeftButton);
    const QPointer<Splash> about = Splash::instance();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QCOMPARE(splashWindowCount(), 1);
    // The main window stays usable.
    QVERIFY(!QApplication::activeModalWidget());
    QTest::keyClicks(w->Prefixtext, QStringLiteral("Trip"));
    QCOMPARE(w->Prefixtext->text(), QStringLiteral("Trip"));

    QTest::mouseClick(w->Label2, Qt::LeftButton);
    QCOMPARE(Splash::instance(), about.data());
    QVERIFY(about->isVisible());
    QCOMPARE(splashWindowCount(), 1);

    // Clicks on the about box itself do nothing.
    const auto labels = about->findChildren<QLabel *>();
    QCOMPARE(labels.size(), 4);
    for (QLabel *label : labels)
        QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(200, 150));
    destroyClosedWindows();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QCOMPARE(splashWindowCount(), 1);
}

void TestStartup::aboutBox_closedAndOpenedAgain()
{
    FileRenamer *w = startProgram();
    QTest::mouseClick(w->Label2, Qt::LeftButton);
    QPointer<Splash> first = Splash::instance();
    QVERIFY(first);

    QVERIFY(first->close());
    destroyClosedWindows();
    QVERIFY2(!first, "closing the about box destroys it");
    QVERIFY(!Splash::instance());
    QCOMPARE(splashWindowCount(), 0);

    QTest::mouseClick(w->Label2, Qt::LeftButton);
    QVERIFY(Splash::instance());
    QVERIFY(Splash::instance()->isVisible());
    QCOMPARE(splashWindowCount(), 1);
    QVERIFY(Splash::instance()->findChild<QLabel *>(QStringLiteral("Label4")));
}

void TestStartup::closingMainWindow_closesAboutBox()
{
    FileRenamer *w = startProgram();
    QTest::mouseClick(w->Label2, Qt::LeftButton);
    QVERIFY(Splash::instance() && Splash::instance()->isVisible());

    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    QVERIFY(!Splash::instance() || !Splash::instance()->isVisible());
    QVERIFY2(QFile::exists(m_settings), "the values are saved before the end");
}

void TestStartup::closingMainWindow_endsEventLoop()
{
    // The program's own end, not the toolkit's end after the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    FileRenamer *w = startProgram();
    QTest::mouseClick(w->Label2, Qt::LeftButton);
    QTimer::singleShot(0, w, [w] { w->close(); });
    QTimer guard; // never expected to fire
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(30000);
    const int result = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(true);

    QCOMPARE(result, 0);
    QVERIFY(!w->isVisible());
    QVERIFY(!Splash::instance() || !Splash::instance()->isVisible());
    QCOMPARE(m_box->shown.size(), 0);
}

void TestStartup::splash_look()
{
    QtWindowLifecycle lifecycle;
    Splash *splash = Splash::showModeless(lifecycle);
    QVERIFY(QTest::qWaitForWindowExposed(splash));

    QCOMPARE(splash->size(), QSize(406, 227));
    QCOMPARE(splash->minimumSize(), splash->maximumSize());
    const Qt::WindowFlags flags = splash->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool); // not in the task bar
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    const auto text = [splash](const char *name) {
        const auto *label = splash->findChild<QLabel *>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<missing>");
    };
    QCOMPARE(text("Label2"), QStringLiteral("Quorlane"));
    QCOMPARE(text("Label4"), QStringLiteral("Version 1.01"));
    QVERIFY(!text("Label3").isEmpty() && text("Label3") != QLatin1String("<missing>"));
    QVERIFY(!text("Label1").isEmpty() && text("Label1") != QLatin1String("<missing>"));

    // The picture is drawn unscaled from the top-left corner and cut at the
    // right: away from the labels each pixel is the picture's own.
    const QImage picture(QStringLiteral(":/assets/splash.png"));
    QCOMPARE(picture.size(), QSize(427, 227));
    const QImage shown = splash->grab().toImage();
    bool scalingWouldShow = false;
    for (const QPoint spot : {QPoint(120, 100), QPoint(300, 120), QPoint(404, 60), QPoint(405, 150)}) {
        QCOMPARE(QColor(shown.pixel(spot)), QColor(picture.pixel(spot)));
        const QPoint scaled(spot.x() * 427 / 406, spot.y());
        scalingWouldShow = scalingWouldShow || picture.pixel(scaled) != picture.pixel(spot);
    }
    QVERIFY2(scalingWouldShow, "the spots tell an unscaled picture from a scaled one");
}

void TestStartup::messageBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<int>("result");

    const QString question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
    const QString questionShown
        = QStringLiteral("The File names will be permanently renamed.\nAre you sure ?");
    const QMessageBox::StandardButtons okCancel = QMessageBox::Ok | QMessageBox::Cancel;
    const QString quorlane = QStringLiteral("Quorlane");

    QTest::newRow("box/ok-cancel-question/escape")
        << question << 33 << quorlane << Answer::EscapeKey << questionShown << quorlane
        << QMessageBox::Question << okCancel << 2;
    QTest::newRow("box/ok-cancel-question/enter")
        << question << 33 << quorlane << Answer::EnterKey << questionShown << quorlane
        << QMessageBox::Question << okCancel << 1;
    QTest::newRow("box/ok-cancel-question/click-ok")
        << question << 33 << quorlane << Answer::ClickOk << questionShown << quorlane << QMessageBox::Question
        << okCancel << 1;
    QTest::newRow("box/ok-cancel-question/click-cancel")
        << question << 33 << quorlane << Answer::ClickCancel << questionShown << quorlane
        << QMessageBox::Question << okCancel << 2;
    QTest::newRow("box/ok-cancel-question/close-box")
        << question << 33 << quorlane << Answer::CloseBox << questionShown << quorlane
        << QMessageBox::Question << okCancel << 2;
    QTest::newRow("box/ok-only/escape")
        << QStringLiteral("Done.") << 0 << quorlane << Answer::EscapeKey << QStringLiteral("Done.")
        << quorlane << QMessageBox::NoIcon << QMessageBox::StandardButtons(QMessageBox::Ok) << 1;
    QTest::newRow("box/ok-stop/enter")
        << QStringLiteral("Sorry, Drive not found!") << 16 << quorlane << Answer::EnterKey
        << QStringLiteral("Sorry, Drive not found!") << quorlane << QMessageBox::Critical
        << QMessageBox::StandardButtons(QMessageBox::Ok) << 1;
    QTest::newRow("box/ok-exclamation/click-ok")
        << QStringLiteral("a\rb\rc") << 48 << quorlane << Answer::ClickOk << QStringLiteral("a\nb\nc")
        << quorlane << QMessageBox::Warning << QMessageBox::StandardButtons(QMessageBox::Ok) << 1;
    QTest::newRow("box/title/default")
        << QStringLiteral("x") << 0 << QString() << Answer::EnterKey << QStringLiteral("x") << quorlane
        << QMessageBox::NoIcon << QMessageBox::StandardButtons(QMessageBox::Ok) << 1;
    QTest::newRow("box/text/markup-shown-as-typed")
        << QStringLiteral("<b>a.jpg</b>") << 0 << quorlane << Answer::EnterKey
        << QStringLiteral("<b>a.jpg</b>") << quorlane << QMessageBox::NoIcon
        << QMessageBox::StandardButtons(QMessageBox::Ok) << 1;
}

void TestStartup::messageBox()
{
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(Answer, answer);
    QFETCH(QString, shownText);
    QFETCH(QString, shownTitle);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(int, result);

    QtMessageBoxService service;
    SeenBox seen;
    answerNextBox(&seen, [answer](QMessageBox *box) { give(box, answer); });
    const int got = title.isNull() ? service.show(text, flags) : service.show(text, flags, title);

    QVERIFY2(seen.shown, "the box waited for an answer");
    QCOMPARE(got, result);
    QCOMPARE(seen.text, shownText);
    QCOMPARE(seen.title, shownTitle);
    QCOMPARE(seen.icon, icon);
    QCOMPARE(seen.buttons, buttons);
}

// Closing the main window ends the program; in a process that goes on (a
// test, or a box shown by the closing itself) the next modal box must still
// wait for its answer.
void TestStartup::messageBox_afterMainWindowClosed_stillWaitsForAnswer()
{
    FileRenamer *w = startProgram();
    QVERIFY(w->close());

    QtMessageBoxService service;
    SeenBox seen;
    answerNextBox(&seen, [](QMessageBox *box) { give(box, Answer::ClickOk); });
    const int got = service.show(QStringLiteral("Are you sure ?"), 33);
    QVERIFY2(seen.shown, "the box waited for an answer");
    QCOMPARE(got, 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
