// The remembered control values: what the settings file holds after a close,
// and what the next start shows.
#include "settings/controlstate.h"
#include "support/foldersnapshot.h"
#include "support/programrun.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#define WIN32_LEAN_AND_MEAN // its dialogs' names would clash with the controls'
#include <windows.h>
#endif

namespace {

#ifdef Q_OS_WIN
// The registry as the program's own user sees it, in a key of the test's
// own: HKEY_CURRENT_USER is redirected there for this process, so that a
// Windows user's own values stay untouched. Read with the system's calls.
class TestCurrentUser {
public:
    TestCurrentUser()
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, m_key);
    }
    ~TestCurrentUser()
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    }
    // The text of a value in the key the README names; "missing" when absent.
    QString value(const QString &key, const QString &name) const
    {
        wchar_t data[1024] = {};
        DWORD size = sizeof data;
        const LSTATUS status
            = RegGetValueW(m_key, reinterpret_cast<LPCWSTR>(key.utf16()),
                           reinterpret_cast<LPCWSTR>(name.utf16()), RRF_RT_REG_SZ, nullptr, data, &size);
        return status == ERROR_SUCCESS ? QString::fromWCharArray(data) : QStringLiteral("missing");
    }

private:
    static constexpr const wchar_t *Key = L"Software\\Quorlane tests\\current user";
    HKEY m_key = nullptr;
};
#endif

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// The stored values, read from a copy of the file so that nothing this
// process still holds in memory can answer in place of the disk.
QMap<QString, QString> storedValues(const QString &settingsFile)
{
    QTemporaryDir copyDir;
    const QString copy = copyDir.filePath(QStringLiteral("copy.ini"));
    QMap<QString, QString> values;
    if (!QFile::copy(settingsFile, copy))
        return values;
    QSettings settings(copy, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Values"));
    for (const QString &key : settings.childKeys())
        values.insert(key, settings.value(key).toString());
    return values;
}

void clickIndicator(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Replaces a text box's text as a user does: select all, then type.
void retype(QWidget *box, const QString &text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

// The window as it is designed, before any value of a previous run.
void verifyDesignState(const FileRenamer &w)
{
    QVERIFY(w.Option1[0]->isChecked());
    QVERIFY(!w.Option1[1]->isChecked());
    QVERIFY(!w.Option1[2]->isChecked());
    QVERIFY(w.Option2[0]->isChecked());
    QVERIFY(!w.Option2[1]->isChecked());
    QVERIFY(!w.Option2[2]->isChecked());
    QCOMPARE(w.CounterStart->text(), QStringLiteral("1"));
    QVERIFY(!w.IncludeCountCheck->isChecked());
    QVERIFY(!w.CounterFormatCombo->isEnabled());
    QCOMPARE(background(w.CounterFormatCombo), Grey);
    QVERIFY(!w.CounterStart->isEnabled());
    QCOMPARE(background(w.CounterStart), Grey);
    QVERIFY(w.Prefixtext->isEnabled());
    QCOMPARE(w.Prefixtext->text(), QString());
    QCOMPARE(w.RemoveText->text(), QString());
    QCOMPARE(w.ReplaceText->text(), QString());
    QCOMPARE(w.FileTypeText1->text(), QString());
    QCOMPARE(w.CounterFormatCombo->currentText(), QString());
    QCOMPARE(w.List1->listCount(), 0);
}

enum class BrokenStore { Garbage, UnreadableFile, FolderInPlace, ReadOnlyFolder };

} // namespace

Q_DECLARE_METATYPE(BrokenStore)

class TestControlState : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void firstRun_showsDesignStateAndWritesNothing();
    void firstClose_writesEveryInputControl();
    void firstClose_valueTexts_data();
    void firstClose_valueTexts();
    void firstClose_keepsDriveAndFolder();

    void roundTrip_realInput();
    void typedPattern_restoredAsTyped_data();
    void typedPattern_restoredAsTyped();
    void emptyCounterStart_resetsRules_data();
    void emptyCounterStart_resetsRules();
    void deletedFolder_staysWhereItWas();
    void badStoredText_isSkipped_data();
    void badStoredText_isSkipped();
    void storedText_data();
    void storedText();
    void brokenStore_data();
    void brokenStore();

    void controlKey_data();
    void controlKey();

private:
    QTemporaryDir m_home;
    QString m_work;
    QString m_settings;
    std::unique_ptr<QTemporaryDir> m_case;
};

void TestControlState::initTestCase()
{
    QVERIFY(m_home.isValid());
    UseDataHome(m_home.filePath(QStringLiteral("data")));
    m_work = m_home.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(m_work));
    QVERIFY(QFile(m_work + QStringLiteral("/holiday.jpg")).open(QIODevice::WriteOnly));
    // The window starts in the current folder.
    QVERIFY(QDir::setCurrent(m_work));
}

void TestControlState::init()
{
    QDir::setCurrent(m_work);
    m_case = std::make_unique<QTemporaryDir>();
    QVERIFY(m_case->isValid());
    m_settings = m_case->filePath(QStringLiteral("settings.ini"));
}

void TestControlState::firstRun_showsDesignStateAndWritesNothing()
{
    Run run(m_settings);
    verifyDesignState(*run.w);
    QCOMPARE(run.w->File1->listCount(), 1); // every file listed
    QVERIFY2(!QFile::exists(m_settings), "the store stays empty until the window closes");
    QVERIFY(run.box->shown.isEmpty());
}

void TestControlState::firstClose_writesEveryInputControl()
{
    {
        Run run(m_settings);
        QVERIFY(run.w->close());
        QVERIFY(!run.w->isVisible());
        QVERIFY(run.box->shown.isEmpty());
    }
    const QStringList expected = {QStringLiteral("Drive1"),
                                  QStringLiteral("Dir1"),
                                  QStringLiteral("File1"),
                                  QStringLiteral("Frame4"),
                                  QStringLiteral("ReplaceText"),
                                  QStringLiteral("RemoveText"),
                                  QStringLiteral("Frame5"),
                                  QStringLiteral("FileTypeText1"),
                                  QStringLiteral("Frame1"),
                                  QStringLiteral("Option1(2)"),
                                  QStringLiteral("Option1(0)"),
                                  QStringLiteral("Option1(1)"),
                                  QStringLiteral("Prefixtext"),
                                  QStringLiteral("Frame6"),
                                  QStringLiteral("CounterFormatCombo"),
                                  QStringLiteral("CounterStart"),
                                  QStringLiteral("IncludeCountCheck"),
                                  QStringLiteral("Frame2"),
                                  QStringLiteral("Option2(2)"),
                                  QStringLiteral("Option2(1)"),
                                  QStringLiteral("Option2(0)"),
                                  QStringLiteral("List1"),
                                  QStringLiteral("Frame3")};
    QStringList stored = storedValues(m_settings).keys();
    QStringList sortedExpected = expected;
    stored.sort();
    sortedExpected.sort();
    QCOMPARE(stored, sortedExpected);

    // Nothing else anywhere in the file: no other section, no button, no label.
    const QString copy = m_case->filePath(QStringLiteral("copy.ini"));
    QVERIFY(QFile::copy(m_settings, copy));
    QSettings whole(copy, QSettings::IniFormat);
    QCOMPARE(whole.childGroups(), QStringList{QStringLiteral("Values")});
    QCOMPARE(whole.childKeys(), QStringList());
}

void TestControlState::firstClose_valueTexts_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("registry"); // the store of a Windows user, not a file

    const auto row = [](const char *key, const QString &text) {
        QTest::addRow("save/first-close/%s", key) << QString::fromLatin1(key) << text << false;
#ifdef Q_OS_WIN
        QTest::addRow("save/first-close/registry/%s", key) << QString::fromLatin1(key) << text << true;
#endif
    };
    const QString no;
    row("File1", no);
    row("Frame4", no);
    row("ReplaceText", no);
    row("RemoveText", no);
    row("Frame5", no);
    row("FileTypeText1", no);
    row("Frame1", no);
    row("Option1(2)", QStringLiteral("False"));
    row("Option1(0)", QStringLiteral("True"));
    row("Option1(1)", QStringLiteral("False"));
    row("Prefixtext", no);
    row("Frame6", no);
    row("CounterFormatCombo", no);
    row("CounterStart", QStringLiteral("1"));
    row("IncludeCountCheck", QStringLiteral("0"));
    row("Frame2", no);
    row("Option2(2)", QStringLiteral("False"));
    row("Option2(1)", QStringLiteral("False"));
    row("Option2(0)", QStringLiteral("True"));
    row("List1", no);
    row("Frame3", no);
}

void TestControlState::firstClose_valueTexts()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(bool, registry);
#ifdef Q_OS_WIN
    if (registry) {
        const TestCurrentUser user;
        {
            Run run{QString()}; // the program's own store
            run.w->close();
        }
        QCOMPARE(user.value(QStringLiteral("Software\\Quorlane\\SaveFormSettings\\Values"), key), text);
        return;
    }
#endif
    QVERIFY(!registry);
    {
        Run run(m_settings);
        run.w->close();
    }
    const QMap<QString, QString> stored = storedValues(m_settings);
    QVERIFY2(stored.contains(key), qPrintable(key));
    QCOMPARE(stored.value(key), text);
}

void TestControlState::firstClose_keepsDriveAndFolder()
{
    QString drive;
    {
        Run run(m_settings);
        drive = run.w->Drive1->drive();
        run.w->close();
    }
    const QMap<QString, QString> stored = storedValues(m_settings);
    QCOMPARE(stored.value(QStringLiteral("Dir1")), QDir::toNativeSeparators(m_work));
    QVERIFY(!drive.isEmpty());
    QCOMPARE(stored.value(QStringLiteral("Drive1")), drive);
    // A drive letter names the drive in any letter case, and with its label.
    QVERIFY2(m_work.startsWith(drive.left(drive.indexOf(QLatin1String(" ["))), Qt::CaseInsensitive),
             "the stored drive holds the stored folder");
}

void TestControlState::roundTrip_realInput()
{
    {
        Run run(m_settings);
        FileRenamer &w = *run.w;
        clickIndicator(w.Option1[1]);
        QVERIFY(w.Option1[1]->isChecked());
        clickIndicator(w.Option2[1]);
        QVERIFY(w.Option2[1]->isChecked());
        retype(w.Prefixtext, QStringLiteral("Trip"));
        clickIndicator(w.IncludeCountCheck);
        QVERIFY(w.IncludeCountCheck->isChecked());
        QVERIFY(w.CounterFormatCombo->isEnabled());

        // Picking " 000" from the list by keyboard, as a user would.
        QSignalSpy picked(w.CounterFormatCombo, &QComboBox::activated);
        for (int i = 0;
             i < CounterPatterns.size() && w.CounterFormatCombo->currentText() != QLatin1String(" 000"); ++i)
            QTest::keyClick(w.CounterFormatCombo, Qt::Key_Down);
        QCOMPARE(w.CounterFormatCombo->currentText(), QStringLiteral(" 000"));
        QVERIFY(!picked.isEmpty());

        retype(w.CounterStart, QStringLiteral("5"));
        QCOMPARE(w.CounterStart->text(), QStringLiteral("5"));
        QVERIFY(w.close());
        QVERIFY(run.box->shown.isEmpty());
    }

    Run next(m_settings);
    FileRenamer &w = *next.w;
    QVERIFY(w.Option1[1]->isChecked());
    QVERIFY(!w.Option1[0]->isChecked());
    QVERIFY(w.Option2[1]->isChecked());
    QVERIFY(!w.Option2[0]->isChecked());
    QCOMPARE(w.Prefixtext->text(), QStringLiteral("Trip"));
    QVERIFY(w.IncludeCountCheck->isChecked());
    QCOMPARE(w.CounterFormatCombo->currentText(), QStringLiteral(" 000"));
    QCOMPARE(w.CounterStart->text(), QStringLiteral("5"));
    QVERIFY(w.CounterFormatCombo->isEnabled());
    QCOMPARE(background(w.CounterFormatCombo), White);
    QVERIFY(w.CounterStart->isEnabled());
    QCOMPARE(background(w.CounterStart), White);
    QCOMPARE(comboEntries(w.CounterFormatCombo), CounterPatterns);
    QVERIFY(next.box->shown.isEmpty());
}

void TestControlState::typedPattern_restoredAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("pattern/typed/x00") << QStringLiteral("x00");
    QTest::newRow("pattern/typed/seven-zeros") << QStringLiteral("0000000");
    QTest::newRow("pattern/typed/listed-text-typed") << QStringLiteral("00");
}

void TestControlState::typedPattern_restoredAsTyped()
{
    QFETCH(QString, typed);
    {
        Run run(m_settings);
        clickIndicator(run.w->IncludeCountCheck);
        QVERIFY(run.w->CounterFormatCombo->isEnabled());
        retype(run.w->CounterFormatCombo, typed);
        QCOMPARE(run.w->CounterFormatCombo->currentText(), typed);
        run.w->close();
    }
    // Two more starts: neither the text nor the list drifts.
    for (int start = 2; start <= 3; ++start) {
        Run run(m_settings);
        QCOMPARE(run.w->CounterFormatCombo->currentText(), typed);
        QCOMPARE(comboEntries(run.w->CounterFormatCombo), CounterPatterns);
        QVERIFY(run.w->IncludeCountCheck->isChecked());
        run.w->close();
    }
}

void TestControlState::emptyCounterStart_resetsRules_data()
{
    QTest::addColumn<QString>("prefixOption"); // the key stored as "True"
    QTest::addColumn<QString>("caseOption");
    QTest::addColumn<QString>("includeCount");
    QTest::addColumn<QString>("counterStart");
    QTest::addColumn<QString>("expectedStart");
    QTest::addColumn<int>("expectedPrefixOption");
    QTest::addColumn<int>("expectedCaseOption");
    QTest::addColumn<bool>("expectedTicked");

    QTest::newRow("reset/empty-start/before-and-ticked") << "Option1(1)"
                                                         << "Option2(1)"
                                                         << "1"
                                                         << ""
                                                         << "1" << 0 << 0 << false;
    QTest::newRow("reset/empty-start/none") << "Option1(2)"
                                            << "Option2(2)"
                                            << "0"
                                            << ""
                                            << "1" << 0 << 0 << false;
    QTest::newRow("reset/empty-start/replace-keeps-tick") << "Option1(0)"
                                                          << "Option2(1)"
                                                          << "1"
                                                          << ""
                                                          << "1" << 0 << 0 << true;
    QTest::newRow("reset/kept/start-is-a-blank") << "Option1(1)"
                                                 << "Option2(2)"
                                                 << "1"
                                                 << " "
                                                 << " " << 1 << 2 << true;
    QTest::newRow("reset/kept/start-is-a-word") << "Option1(1)"
                                                << "Option2(1)"
                                                << "0"
                                                << "abc"
                                                << "abc" << 1 << 1 << false;
}

void TestControlState::emptyCounterStart_resetsRules()
{
    QFETCH(QString, prefixOption);
    QFETCH(QString, caseOption);
    QFETCH(QString, includeCount);
    QFETCH(QString, counterStart);
    QFETCH(QString, expectedStart);
    QFETCH(int, expectedPrefixOption);
    QFETCH(int, expectedCaseOption);
    QFETCH(bool, expectedTicked);

    QMap<QString, QString> stored;
    for (int i = 0; i < 3; ++i) {
        const QString prefixKey = QStringLiteral("Option1(%1)").arg(i);
        const QString caseKey = QStringLiteral("Option2(%1)").arg(i);
        stored.insert(prefixKey,
                      prefixKey == prefixOption ? QStringLiteral("True") : QStringLiteral("False"));
        stored.insert(caseKey, caseKey == caseOption ? QStringLiteral("True") : QStringLiteral("False"));
    }
    stored.insert(QStringLiteral("IncludeCountCheck"), includeCount);
    stored.insert(QStringLiteral("CounterStart"), counterStart);
    stored.insert(QStringLiteral("CounterFormatCombo"), QStringLiteral("00"));
    QVERIFY(writeStore(m_settings, stored));

    Run run(m_settings);
    FileRenamer &w = *run.w;
    QCOMPARE(w.CounterStart->text(), expectedStart);
    QVERIFY(w.Option1[expectedPrefixOption]->isChecked());
    QVERIFY(w.Option2[expectedCaseOption]->isChecked());
    QCOMPARE(w.IncludeCountCheck->isChecked(), expectedTicked);
    QCOMPARE(w.CounterFormatCombo->isEnabled(), expectedTicked);
    QCOMPARE(w.CounterStart->isEnabled(), expectedTicked);
    QCOMPARE(background(w.CounterFormatCombo), expectedTicked ? White : Grey);
    QCOMPARE(background(w.CounterStart), expectedTicked ? White : Grey);
    QCOMPARE(w.CounterFormatCombo->currentText(), QStringLiteral("00"));
    QVERIFY(run.box->shown.isEmpty());
}

void TestControlState::deletedFolder_staysWhereItWas()
{
    const QString gone = m_case->filePath(QStringLiteral("trip/day1"));
    QVERIFY(QDir().mkpath(gone));
    QString drive;
    {
        Run run(m_settings);
        QVERIFY(run.w->Dir1->setPath(gone));
        drive = run.w->Drive1->drive();
        run.w->close();
    }
    QCOMPARE(storedValues(m_settings).value(QStringLiteral("Dir1")), QDir::toNativeSeparators(gone));
    QVERIFY(QDir(m_case->filePath(QStringLiteral("trip"))).removeRecursively());

    Run run(m_settings);
    QCOMPARE(run.w->Dir1->path(), m_work);
    QCOMPARE(run.w->File1->listCount(), 1);
    QCOMPARE(run.w->Drive1->drive(), drive);
    QVERIFY(run.box->shown.isEmpty());
}

void TestControlState::badStoredText_isSkipped_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("restore/bad-text/missing-drive") << "Drive1"
                                                    << "Q:";
    QTest::newRow("restore/bad-text/missing-folder") << "Dir1"
                                                     << "/no/such/folder/anywhere";
    QTest::newRow("restore/bad-text/empty-folder") << "Dir1"
                                                   << "";
    QTest::newRow("restore/bad-text/check-box-word") << "IncludeCountCheck"
                                                     << "yes";
    QTest::newRow("restore/bad-text/check-box-two") << "IncludeCountCheck"
                                                    << "2";
    QTest::newRow("restore/bad-text/option-word") << "Option2(1)"
                                                  << "maybe";
    QTest::newRow("restore/bad-text/unknown-file") << "File1"
                                                   << "not-listed.txt";
    QTest::newRow("restore/bad-text/unknown-line") << "List1"
                                                   << "a.jpg\t --> b.jpg";
}

void TestControlState::badStoredText_isSkipped()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QString designDrive;
    {
        Run design(m_case->filePath(QStringLiteral("unused.ini")));
        designDrive = design.w->Drive1->drive();
    }
    QVERIFY(writeStore(m_settings, {{key, text}}));

    Run run(m_settings);
    verifyDesignState(*run.w);
    QCOMPARE(run.w->Drive1->drive(), designDrive);
    QCOMPARE(run.w->Dir1->path(), m_work);
    QVERIFY(run.box->shown.isEmpty());
}

void TestControlState::storedText_data()
{
    // The drive list offers "c: [System]", "d: [Data]" and a volume named by
    // its folder, %e; the check box starts unticked.
    QTest::addColumn<bool>("drive"); // or the check box
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("shown");

    QTest::newRow("restore/drive/label-renamed") << true << "D: [Old label]" << true << "d: [Data]";
    QTest::newRow("restore/drive/letter-alone") << true << "d:" << true << "d: [Data]";
    QTest::newRow("restore/drive/letter-missing") << true << "q: [Data]" << false << "c: [System]";
#ifndef Q_OS_WIN // there every drive is a letter
    QTest::newRow("restore/drive/volume-by-folder") << true << "%e" << true << "%e";
    QTest::newRow("restore/drive/volume-other-folder") << true << "%e/x" << false << "c: [System]";
#endif
    QTest::newRow("restore/check-box/leading-zero") << false << "01" << true << "1";
    QTest::newRow("restore/check-box/blanks-and-fraction") << false << " 1.0 " << true << "1";
    QTest::newRow("restore/check-box/minus-one") << false << "-1" << false << "0";
    QTest::newRow("restore/check-box/empty") << false << "" << false << "0";
}

void TestControlState::storedText()
{
    QFETCH(bool, drive);
    QFETCH(QString, stored);
    QFETCH(bool, taken);
    QFETCH(QString, shown);

    const QString volume = m_case->filePath(QStringLiteral("e"));
    const QList<Drive> drives
        = {{"c: [System]", m_case->filePath("c")}, {"d: [Data]", m_case->filePath("d")}, {volume, volume}};
    for (const Drive &each : drives)
        QVERIFY(QDir().mkpath(each.root));
    Run run(m_settings);
    run.w->Drive1->setDrives(drives);
    QWidget *control = drive ? static_cast<QWidget *>(run.w->Drive1) : run.w->IncludeCountCheck;

    QCOMPARE(ApplyControlValueText(control, stored.replace(QLatin1String("%e"), volume)), taken);
    QCOMPARE(ControlValueText(control), shown.replace(QLatin1String("%e"), volume));
    QVERIFY(run.box->shown.isEmpty());
}

void TestControlState::brokenStore_data()
{
    QTest::addColumn<BrokenStore>("broken");
    QTest::addColumn<bool>("savedAtClose");

    QTest::newRow("store/corrupt/binary-garbage") << BrokenStore::Garbage << true;
#ifndef Q_OS_WIN // Windows keeps no permission bits for the file's owner
    QTest::newRow("store/corrupt/unreadable-file") << BrokenStore::UnreadableFile << false;
#endif
    QTest::newRow("store/unwritable/folder-in-place") << BrokenStore::FolderInPlace << false;
#ifndef Q_OS_WIN
    QTest::newRow("store/unwritable/read-only-folder") << BrokenStore::ReadOnlyFolder << false;
#endif
}

void TestControlState::brokenStore()
{
    QFETCH(BrokenStore, broken);
    QFETCH(bool, savedAtClose);

    if (broken == BrokenStore::UnreadableFile && runningAsRoot())
        QSKIP("Root reads every file, whatever its permissions.");

    QString settingsFile = m_settings;
    std::optional<ReadOnlyFolder> locked;
    switch (broken) {
    case BrokenStore::Garbage: {
        QFile file(settingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes;
        for (int i = 0; i < 4096; ++i)
            bytes.append(char((i * 37 + 11) & 0xff));
        file.write(bytes);
        break;
    }
    case BrokenStore::UnreadableFile:
        QVERIFY(writeStore(settingsFile, {{QStringLiteral("CounterStart"), QStringLiteral("7")}}));
        QVERIFY(QFile::setPermissions(settingsFile, {}));
        break;
    case BrokenStore::FolderInPlace:
        QVERIFY(QDir().mkpath(settingsFile));
        break;
    case BrokenStore::ReadOnlyFolder: {
        const QString folder = m_case->filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        settingsFile = folder + QStringLiteral("/settings.ini");
        locked.emplace(folder);
        if (!locked->ok())
            QSKIP(locked->lacking());
        break;
    }
    }

    {
        Run run(settingsFile);
        verifyDesignState(*run.w);
        QCOMPARE(run.w->Dir1->path(), m_work);
        QVERIFY(run.box->shown.isEmpty());

        QTest::keyClicks(run.w->Prefixtext, QStringLiteral("Trip"));
        QVERIFY(run.w->close());
        QVERIFY(!run.w->isVisible());
        if (savedAtClose) {
            QVERIFY(run.box->shown.isEmpty());
        } else {
            QCOMPARE(run.box->shown.size(), 1);
            const ShownMessage &message = run.box->shown.first();
            QCOMPARE(message.text,
                     QStringLiteral("Your settings could not be saved:\r")
                         + QDir::toNativeSeparators(settingsFile));
            QCOMPARE(message.flags, 48);
            QCOMPARE(message.title, QStringLiteral("Quorlane"));
        }
    }
    if (savedAtClose) {
        QCOMPARE(storedValues(settingsFile).size(), 23);
        Run next(settingsFile);
        QCOMPARE(next.w->Prefixtext->text(), QStringLiteral("Trip"));
    }
}

void TestControlState::controlKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");

    QTest::newRow("key/array-member/Option1(2)") << "Option1" << 2 << "Option1(2)";
    QTest::newRow("key/array-member/Option2(0)") << "Option2" << 0 << "Option2(0)";
    QTest::newRow("key/single/Prefixtext") << "Prefixtext" << -1 << "Prefixtext";
    QTest::newRow("key/single/CounterFormatCombo") << "CounterFormatCombo" << -1 << "CounterFormatCombo";
}

void TestControlState::controlKey()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, key);

    Run run(m_settings);
    const QWidget *control = nullptr;
    for (const QWidget *candidate : run.w->controls()) {
        const QVariant candidateIndex = candidate->property("index");
        if (candidate->objectName() == name
            && (index < 0 ? !candidateIndex.isValid() : candidateIndex == index))
            control = candidate;
    }
    QVERIFY(control);
    QCOMPARE(run.w->ControlKey(control), key);
}

QTEST_MAIN(TestControlState)
#include "tst_controlstate.moc"
