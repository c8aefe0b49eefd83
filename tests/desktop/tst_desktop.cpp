// The window as a desktop presents it: to a screen reader, and at a scale
// factor of two.
#include "support/testservices.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every control's geometry in device pixels, one line per control.
QStringList deviceGeometries(const FileRenamer &w)
{
    QStringList lines;
    const qreal ratio = w.devicePixelRatioF();
    for (const QWidget *control : w.controls()) {
        const QRect g = control->geometry();
        lines.append(QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(w.ControlKey(control))
                         .arg(qRound(g.x() * ratio))
                         .arg(qRound(g.y() * ratio))
                         .arg(qRound(g.width() * ratio))
                         .arg(qRound(g.height() * ratio)));
    }
    return lines;
}

// Captions that need more room than their control has.
QStringList cutCaptions(const FileRenamer &w)
{
    QStringList cut;
    for (const QWidget *control : w.controls()) {
        const bool captioned
            = qobject_cast<const QLabel *>(control) || qobject_cast<const QAbstractButton *>(control);
        if (captioned && control->sizeHint().width() > control->width())
            cut.append(w.ControlKey(control));
    }
    return cut;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void screenReaderNames_data();
    void screenReaderNames();
    void screenReaderReadsPreviewLines_data();
    void screenReaderReadsPreviewLines();
    void scaleFactorTwoKeepsProportions();

private:
    QTemporaryDir m_dir;
};

void TestDesktop::screenReaderNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    const QList<QPair<QString, QString>> rows = {
        {"Drive1", "Drive"},
        {"Dir1", "Folder"},
        {"File1", "Files"},
        {"List1", "Preview"},
        {"Prefixtext", "Prefix"},
        {"CounterStart", "Start Count"},
        {"CounterFormatCombo", "Counter Format"},
        {"RemoveText", "Remove"},
        {"ReplaceText", "Replace with"},
        {"FileTypeText1", "File ext(s)"},
        {"IncludeCountCheck", "Include Count"},
        {"Option1(0)", "Replace"},
        {"Option1(1)", "Before"},
        {"Option1(2)", "None"},
        {"Option2(0)", "UnChanged Char Case"},
        {"Option2(1)", "UPPER"},
        {"Option2(2)", "lower"},
        {"Rename", "Rename"},
        {"Delete", "Delete"},
        {"SelectAll", "Select All"},
        {"SelectNone", "Select None"},
    };
    for (const auto &[control, name] : rows)
        QTest::newRow(qPrintable(QStringLiteral("name/") + control)) << control << name;
}

void TestDesktop::screenReaderNames()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    RecordingMessageBox *box = nullptr;
    auto services = MakeTestServices(m_dir.filePath(QStringLiteral("settings.ini")), &box);
    FileRenamer w(*services);
    QWidget *found = nullptr;
    for (QWidget *c : w.controls()) {
        if (w.ControlKey(c) == control)
            found = c;
    }
    QVERIFY(found);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(found);
    QVERIFY(accessible);
    // A tool tip is read as the control's description.
    QCOMPARE(accessible->text(QAccessible::Description), found->toolTip());
    // A drop-down list that cannot be edited is announced by the entry it
    // shows (the drive) on desktops that read labels through relations; its
    // own name is kept for the others.
    if (control == QLatin1String("Drive1")) {
        QCOMPARE(found->accessibleName(), name);
#ifdef Q_OS_WIN
        QCOMPARE(accessible->text(QAccessible::Name), name);
#else
        QCOMPARE(accessible->text(QAccessible::Name), w.Drive1->currentText());
#endif
        return;
    }
    QCOMPARE(accessible->text(QAccessible::Name), name);
}

void TestDesktop::screenReaderReadsPreviewLines_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("spoken");
    QTest::addColumn<QStringList>("described"); // why the run would not rename the line's file

    QTest::newRow("spoken/preview/renamed-whole")
        << "New" << QStringList{"a.txt becomes Newa.txt", "b.txt becomes Newb.txt"} << QStringList{"", ""};
    QTest::newRow("spoken/preview/stop-foretold")
        << "Nope/" << QStringList{"a.txt becomes Nope/a.txt", "b.txt becomes Nope/b.txt"}
        << QStringList{"there is no folder Nope", "the run stops at a.txt: there is no folder Nope"};
}

void TestDesktop::screenReaderReadsPreviewLines()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, described);

    QTemporaryDir files;
    for (const char *name : {"a.txt", "b.txt"}) {
        QFile f(files.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    RecordingMessageBox *box = nullptr;
    auto services = MakeTestServices(m_dir.filePath(QStringLiteral("settings.ini")), &box);
    FileRenamer w(*services);
    w.Dir1->setPath(files.path());
    w.SelectAll_Click();
    w.Option1[1]->setChecked(true);
    QTest::keyClicks(w.Prefixtext, prefix);
    QCOMPARE(w.List1->listCount(), 2);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(w.List1);
    QVERIFY(list);
    QStringList spoken;
    for (int i = 0; i < list->childCount(); ++i)
        spoken.append(list->child(i)->text(QAccessible::Name));
    QTEST(spoken, "spoken");
    const auto descriptions = [&] {
        QStringList texts;
        for (int i = 0; i < list->childCount(); ++i)
            texts.append(list->child(i)->text(QAccessible::Description));
        return texts;
    };
    QTRY_COMPARE(descriptions(), described);
}

void TestDesktop::scaleFactorTwoKeepsProportions()
{
    // The same window at twice the scale, in a process of its own.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    env.insert(QStringLiteral("QUORLANE_PRINT_GEOMETRY"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    const QStringList scaled = QString::fromUtf8(child.readAllStandardOutput())
                                   .remove(QLatin1Char('\r'))
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    RecordingMessageBox *box = nullptr;
    auto services = MakeTestServices(m_dir.filePath(QStringLiteral("settings.ini")), &box);
    FileRenamer w(*services);
    QCOMPARE(w.devicePixelRatioF(), 1.0);
    QStringList doubled;
    for (const QString &line : deviceGeometries(w)) {
        QStringList parts = line.split(QLatin1Char(' '));
        for (int i = 1; i < parts.size(); ++i)
            parts[i] = QString::number(parts.at(i).toInt() * 2);
        doubled.append(parts.join(QLatin1Char(' ')));
    }
    QCOMPARE(scaled.size(), 36); // 35 controls and the list of cut captions
    QCOMPARE(scaled.mid(0, 35), doubled);
    QCOMPARE(scaled.last(), QStringLiteral("cut:"));
}

// With QUORLANE_PRINT_GEOMETRY set, the test executable only prints the
// window's geometry in device pixels and the captions that do not fit.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("QUORLANE_PRINT_GEOMETRY")) {
        QTemporaryDir dir;
        RecordingMessageBox *box = nullptr;
        auto services = MakeTestServices(dir.filePath(QStringLiteral("settings.ini")), &box);
        FileRenamer w(*services);
        w.show();
        QTextStream out(stdout);
        for (const QString &line : deviceGeometries(w))
            out << line << '\n';
        out << "cut:" << cutCaptions(w).join(QLatin1Char(',')) << '\n';
        return 0;
    }
    TestDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"
