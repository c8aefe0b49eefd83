// The file browser of the main window as a user drives it: drives, folders,
// the extension filter and the selection, on real folders and files.
#include "support/newdrive.h"
#include "window/dirlist.h"
#include "window/drivelist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"
#include "windowonfolder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString Arrow = QStringLiteral("\t --> ");

struct Session : WindowOnFolder {
    bool open(const QStringList &files)
    {
        if (!openWindow(files))
            return false;
        // Mode "Before" without a prefix shows each file's own name as its new
        // name, so a preview line tells which file is selected.
        QTest::mouseClick(w->Option1[1], Qt::LeftButton);
        return w->Option1[1]->isChecked();
    }
};

QStringList previewOf(const QStringList &names)
{
    QStringList lines;
    for (const QString &name : names)
        lines.append(name + Arrow + name);
    return lines;
}

void clickFile(FileList *list, int row, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), button, modifiers, rect.center());
}

// The row of the folder list that shows the folder's name.
int dirRow(const DirList *list, const QString &name)
{
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        if (list->model()->index(row, 0).data().toString().trimmed() == name)
            return row;
    }
    return -1;
}

// Opens a folder the way a user does: a double click on it, or Enter on it.
void openInDirList(DirList *list, const QString &name, bool byEnter)
{
    const int row = dirRow(list, name);
    QVERIFY2(row >= 0, qPrintable(name));
    const QModelIndex index = list->model()->index(row, 0);
    if (byEnter) {
        list->setFocus();
        list->setCurrentIndex(index);
        QTest::keyClick(list, Qt::Key_Return);
    } else {
        // What the window system delivers for a double click: press, release,
        // double click, release.
        const QPoint pos = list->visualRect(index).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, pos);
    }
}

// Picks an entry the way a user does: open the list, click the entry.
void pickFromList(QComboBox *combo, int row)
{
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(!view->isVisible());
}

// While it lives, this process is an ordinary user, whom a folder's
// permissions bind: itself, or for root the user nobody, which is let into
// `folder` first. Windows keeps no permission bits that bind a folder's owner.
class BoundByPermissions {
public:
    explicit BoundByPermissions(const QString &folder)
    {
#ifdef Q_OS_UNIX
        m_root = ::geteuid() == 0;
        m_ok = !m_root
            || (QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadOther | QFile::ExeOther)
                && ::setresuid(65534, 65534, 0) == 0);
#else
        Q_UNUSED(folder);
#endif
    }
    ~BoundByPermissions()
    {
#ifdef Q_OS_UNIX
        if (m_root && m_ok && ::setresuid(0, 0, 0) != 0)
            qFatal("cannot become root again");
#endif
    }
    BoundByPermissions(const BoundByPermissions &) = delete;
    BoundByPermissions &operator=(const BoundByPermissions &) = delete;

    bool ok() const
    {
        return m_ok;
    }

private:
    bool m_root = false;
    bool m_ok = false;
};

const QStringList FilterFiles{"a.jpg", "b.gif", "c.txt", "D.JPG", "gif", "odd..txt", "readme"};

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void filter_data();
    void filter();
    void filterLosesSelection();
    void selectButtons_data();
    void selectButtons();
    void keyboardSelectionWaits_data();
    void keyboardSelectionWaits();
    void folderChange();
    void openFolder_data();
    void openFolder();
    void openFolderFails_data();
    void openFolderFails();
    void driveOpensRoot();
    void driveFollowsFolder_data();
    void driveFollowsFolder();
    void driveNotFound_data();
    void driveNotFound();
    void drivesComeAndGo_data();
    void drivesComeAndGo();
};

void TestNavigation::initTestCase()
{
    static QTemporaryDir environment;
    QVERIFY(environment.isValid());
    QVERIFY(IsolateUserFolders(environment.path()));
}

void TestNavigation::filter_data()
{
    QTest::addColumn<QString>("keys"); // "\b" is Backspace
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("filter/comma/jpg,gif") << "jpg,gif"
                                          << "*.jpg;*.gif" << QStringList{"a.jpg", "b.gif", "D.JPG"};
    QTest::newRow("filter/blank/jpg gif") << "jpg gif"
                                          << "*.jpg;*.gif" << QStringList{"a.jpg", "b.gif", "D.JPG"};
    // The blank after the comma makes an empty extension: files without one.
    QTest::newRow("filter/comma-and-blank/jpg, gif")
        << "jpg, gif"
        << "*.jpg;*.;*.gif" << QStringList{"a.jpg", "b.gif", "D.JPG", "gif", "readme"};
    QTest::newRow("filter/trailing-comma/jpg,")
        << "jpg,"
        << "*.jpg;*." << QStringList{"a.jpg", "D.JPG", "gif", "readme"};
    // A typed ";" separates masks without "*." in front of the next one.
    QTest::newRow("filter/semicolon/jpg;gif") << "jpg;gif"
                                              << "*.jpg;gif" << QStringList{"a.jpg", "D.JPG", "gif"};
    QTest::newRow("filter/one/txt") << "txt"
                                    << "*.txt" << QStringList{"c.txt", "odd..txt"};
    QTest::newRow("filter/leading-dot/.txt") << ".txt"
                                             << "*..txt" << QStringList{"odd..txt"};
    QTest::newRow("filter/letter-case/JPG") << "JPG"
                                            << "*.JPG" << QStringList{"a.jpg", "D.JPG"};
    QTest::newRow("filter/star/*") << "*"
                                   << "*.*" << FilterFiles;
    QTest::newRow("filter/blanks-only/not-empty") << " "
                                                  << "*.;*." << QStringList{"gif", "readme"};
    QTest::newRow("filter/emptied/all-files") << "txt\b\b\b"
                                              << "*.*" << FilterFiles;
}

void TestNavigation::filter()
{
    QFETCH(QString, keys);
    QFETCH(QString, pattern);
    QFETCH(QStringList, listed);

    Session s;
    QVERIFY(s.open(FilterFiles));
    FileRenamer &w = *s.w;
    QCOMPARE(w.File1->names(), FilterFiles);

    w.FileTypeText1->setFocus();
    QTest::keyClicks(w.FileTypeText1, keys);

    QCOMPARE(w.File1->pattern(), pattern);
    QCOMPARE(w.File1->names(), listed);
    QCOMPARE(w.List1->lines(), QStringList());
    QCOMPARE(s.box->shown.size(), 0);
}

void TestNavigation::filterLosesSelection()
{
    Session s;
    QVERIFY(s.open(FilterFiles));
    FileRenamer &w = *s.w;
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    QCOMPARE(w.SelectedCount(), FilterFiles.size());
    QCOMPARE(w.List1->lines(), previewOf(FilterFiles));

    w.FileTypeText1->setFocus();
    QTest::keyClicks(w.FileTypeText1, "txt");

    QCOMPARE(w.File1->names(), (QStringList{"c.txt", "odd..txt"}));
    QCOMPARE(w.File1->selectedCount(), 0);
    QCOMPARE(w.SelectedCount(), 0);
    QCOMPARE(w.List1->lines(), QStringList());

    // The selection that follows covers only the listed files.
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    QCOMPARE(w.SelectedCount(), 2);
    QCOMPARE(w.List1->lines(), previewOf({"c.txt", "odd..txt"}));
}

void TestNavigation::selectButtons_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("buttons"); // clicked in turn: A all, N none
    QTest::addColumn<QStringList>("selected");

    const QStringList files{"a.txt", "b.txt", "c.txt"};
    QTest::newRow("select-all/empty-folder/nothing") << QStringList() << "A" << QStringList();
    QTest::newRow("select-none/empty-folder/nothing") << QStringList() << "N" << QStringList();
    QTest::newRow("select-all/full-folder/every-file") << files << "A" << files;
    QTest::newRow("select-all/twice/every-file") << files << "AA" << files;
    QTest::newRow("select-none/after-select-all/nothing") << files << "AN" << QStringList();
}

void TestNavigation::selectButtons()
{
    QFETCH(QStringList, files);
    QFETCH(QString, buttons);
    QFETCH(QStringList, selected);

    Session s;
    QVERIFY(s.open(files));
    FileRenamer &w = *s.w;

    for (QChar button : buttons)
        QTest::mouseClick(button == u'A' ? w.SelectAll : w.SelectNone, Qt::LeftButton);

    QCOMPARE(w.File1->listCount(), files.size());
    QCOMPARE(w.SelectedCount(), selected.size());
    QCOMPARE(w.File1->selectedCount(), selected.size());
    QCOMPARE(w.List1->lines(), previewOf(selected));
}

void TestNavigation::keyboardSelectionWaits_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("selected");

    // A right click on a selected file keeps the selection: the release alone
    // catches the count and the preview up.
    QTest::newRow("catch-up/right-click-on-selected")
        << int(Qt::RightButton) << int(Qt::NoModifier) << 1 << QStringList{"a.txt", "b.txt", "c.txt"};
    QTest::newRow("catch-up/shift-click") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << 3
                                          << QStringList{"a.txt", "b.txt", "c.txt", "d.txt"};
}

// A selection made with the keyboard alone recounts and rebuilds nothing;
// the next mouse release over the list does both.
void TestNavigation::keyboardSelectionWaits()
{
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(int, row);
    QFETCH(QStringList, selected);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt", "c.txt", "d.txt"}));
    FileRenamer &w = *s.w;
    clickFile(w.File1, 0);
    QCOMPARE(w.List1->lines(), previewOf({"a.txt"}));

    w.File1->setFocus();
    QTest::keyClick(w.File1, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(w.File1, Qt::Key_Down, Qt::ShiftModifier);

    QCOMPARE(w.File1->selectedCount(), 3);
    QCOMPARE(w.SelectedCount(), 1);
    QCOMPARE(w.List1->lines(), previewOf({"a.txt"}));

    clickFile(w.File1, row, Qt::KeyboardModifiers(modifiers), Qt::MouseButton(button));

    QCOMPARE(w.SelectedCount(), selected.size());
    QCOMPARE(w.List1->lines(), previewOf(selected));
}

// Another folder empties the preview, and it stays empty until the next
// rebuild.
void TestNavigation::folderChange()
{
    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    QVERIFY(makeFiles(s.sub("inner"), {"x.txt", "y.txt", "z.txt"}));
    FileRenamer &w = *s.w;
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    QCOMPARE(w.SelectedCount(), 2);

    QVERIFY(w.Dir1->setPath(s.sub("inner")));

    QCOMPARE(w.Dir1->path(), s.sub("inner"));
    QCOMPARE(w.File1->path(), s.sub("inner"));
    QCOMPARE(w.File1->names(), (QStringList{"x.txt", "y.txt", "z.txt"}));
    QCOMPARE(w.SelectedCount(), 0);
    QCOMPARE(w.List1->lines(), QStringList());

    QTest::keyClicks(w.RemoveText, "q");
    QCOMPARE(w.List1->lines(), QStringList());
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    QCOMPARE(w.List1->lines(), previewOf({"x.txt", "y.txt", "z.txt"}));
}

void TestNavigation::openFolder_data()
{
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<bool>("backToParent");

    QTest::newRow("open/sub-folder/double-click") << false << false;
    QTest::newRow("open/sub-folder/enter") << true << false;
    QTest::newRow("open/parent-folder/double-click") << false << true;
    QTest::newRow("open/parent-folder/enter") << true << true;
}

void TestNavigation::openFolder()
{
    QFETCH(bool, byEnter);
    QFETCH(bool, backToParent);

    Session s;
    QVERIFY(makeFiles(s.sub("inner"), {"x.txt"}));
    QVERIFY(QDir().mkpath(s.sub("inner/deeper")));
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);

    QString expectedFolder = s.sub("inner");
    QStringList expectedFiles{"x.txt"};
    if (backToParent) {
        QVERIFY(w.Dir1->setPath(s.sub("inner")));
        QTest::mouseClick(w.SelectAll, Qt::LeftButton);
        QCOMPARE(w.List1->lines(), previewOf({"x.txt"}));
        openInDirList(w.Dir1, QFileInfo(s.folder.path()).fileName(), byEnter);
        expectedFolder = s.folder.path();
        expectedFiles = QStringList{"a.txt", "b.txt"};
    } else {
        QCOMPARE(w.List1->lines(), previewOf({"a.txt", "b.txt"}));
        openInDirList(w.Dir1, QStringLiteral("inner"), byEnter);
    }

    QCOMPARE(w.Dir1->path(), expectedFolder);
    QCOMPARE(w.File1->path(), expectedFolder);
    QCOMPARE(w.File1->names(), expectedFiles);
    QCOMPARE(w.SelectedCount(), 0);
    QCOMPARE(w.List1->lines(), QStringList());
    QCOMPARE(dirRow(w.Dir1, QStringLiteral("deeper")) >= 0, !backToParent);
    QCOMPARE(s.box->shown.size(), 0);
}

void TestNavigation::openFolderFails_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("byEnter");

    QTest::newRow("open-failed/removed/double-click") << "removed" << false;
    QTest::newRow("open-failed/removed/enter") << "removed" << true;
    QTest::newRow("open-failed/replaced-by-file/double-click") << "replaced-by-file" << false;
    QTest::newRow("open-failed/no-permission/enter") << "no-permission" << true;
}

// A listed folder that cannot be read any more: one message, and the lists
// and the preview stay as they were.
void TestNavigation::openFolderFails()
{
    QFETCH(QString, damage);
    QFETCH(bool, byEnter);

    Session s;
    const QString inner = s.sub("inner");
    QVERIFY(QDir().mkpath(inner));
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    const QStringList preview = w.List1->lines();
    QCOMPARE(preview, previewOf({"a.txt", "b.txt"}));
    QVERIFY(dirRow(w.Dir1, QStringLiteral("inner")) >= 0);

    if (damage == QLatin1String("no-permission")) {
#ifndef Q_OS_UNIX
        QSKIP("Windows keeps no permission bits that bind a folder's owner.");
#endif
        QVERIFY(QFile::setPermissions(inner, {}));
    } else {
        QVERIFY(QDir().rmdir(inner));
        if (damage == QLatin1String("replaced-by-file"))
            QVERIFY(makeFiles(s.folder.path(), {"inner"}));
    }
    const QStringList listed = w.File1->names();

    if (damage == QLatin1String("no-permission")) {
        const BoundByPermissions bound(s.folder.path());
        QVERIFY(bound.ok());
        openInDirList(w.Dir1, QStringLiteral("inner"), byEnter);
    } else {
        openInDirList(w.Dir1, QStringLiteral("inner"), byEnter);
    }
    if (damage == QLatin1String("no-permission"))
        QVERIFY(QFile::setPermissions(inner, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text,
             QStringLiteral("Sorry, the folder cannot be opened:\r") + QDir::toNativeSeparators(inner));
    QCOMPARE(s.box->shown.at(0).flags, 16);
    QCOMPARE(s.box->shown.at(0).title, QStringLiteral("Quorlane"));
    QCOMPARE(w.Dir1->path(), s.folder.path());
    QCOMPARE(w.File1->path(), s.folder.path());
    QCOMPARE(w.File1->names(), listed);
    QCOMPARE(w.File1->selectedCount(), 2);
    QCOMPARE(w.List1->lines(), preview);
}

void TestNavigation::driveOpensRoot()
{
    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    QVERIFY(makeFiles(s.sub("other"), {"m.txt", "n.txt"}));
    FileRenamer &w = *s.w;
    const QString first = s.folder.path();
    const QString other = s.sub("other");
    w.Drive1->setDrives({{first, first}, {other, other}});
    QVERIFY(makeFiles(s.sub("deeper"), {"z.txt"}));
    QVERIFY(makeFiles(s.sub("other/deeper"), {"y.txt"}));
    QVERIFY(w.Dir1->setPath(s.sub("deeper")));
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    QCOMPARE(w.List1->lines(), previewOf({"z.txt"}));

    // Picking a drive always goes to its root, never to a folder on it.
    pickFromList(w.Drive1, 1);
    QCOMPARE(w.Dir1->path(), other);
    QVERIFY(w.Dir1->setPath(s.sub("other/deeper")));
    pickFromList(w.Drive1, 0);

    QCOMPARE(w.Drive1->drive(), first);
    QCOMPARE(w.Dir1->path(), first);
    QCOMPARE(w.File1->path(), first);
    QCOMPARE(w.File1->names(), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(w.SelectedCount(), 0);
    QCOMPARE(w.List1->lines(), QStringList());
    QCOMPARE(s.box->shown.size(), 0);
}

void TestNavigation::driveFollowsFolder_data()
{
    // Folders under the window's folder; drive 1 is mounted at mnt/other.
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("fromDrive");
    QTest::addColumn<QString>("open"); // the folder opened in the folder list
    QTest::addColumn<int>("toDrive");
    QTest::addColumn<QString>("to");

    QTest::newRow("drive-follows/up-past-mount-point") << "mnt/other" << 1 << "mnt" << 0 << "mnt";
    QTest::newRow("drive-follows/down-into-mount-point") << "mnt" << 0 << "other" << 1 << "mnt/other";
    QTest::newRow("drive-follows/within-one-volume")
        << "mnt/other" << 1 << "deeper" << 1 << "mnt/other/deeper";
}

// Walking the folders keeps the drive list on the volume that holds the open
// folder, and never moves the folder list to that volume's root.
void TestNavigation::driveFollowsFolder()
{
    QFETCH(QString, from);
    QFETCH(int, fromDrive);
    QFETCH(QString, open);
    QFETCH(int, toDrive);
    QFETCH(QString, to);

    Session s;
    QVERIFY(s.open({"a.txt"}));
    QVERIFY(makeFiles(s.sub("mnt/other/deeper"), {"z.txt"}));
    FileRenamer &w = *s.w;
    const QList<Drive> drives
        = {{s.folder.path(), s.folder.path()}, {s.sub("mnt/other"), s.sub("mnt/other")}};
    w.Drive1->setDrives(drives);
    QVERIFY(w.Dir1->setPath(s.sub(from)));
    QCOMPARE(w.Drive1->drive(), drives.at(fromDrive).text);

    openInDirList(w.Dir1, open, false);

    QCOMPARE(w.Dir1->path(), s.sub(to));
    QCOMPARE(w.File1->path(), s.sub(to));
    QCOMPARE(w.Drive1->drive(), drives.at(toDrive).text);
    QCOMPARE(s.box->shown.size(), 0);
}

void TestNavigation::driveNotFound_data()
{
    QTest::addColumn<QString>("badRoot");

    QTest::newRow("drive/not-found/missing-root") << "missing";
    QTest::newRow("drive/not-found/root-is-a-file") << "a.txt";
}

// A drive that cannot be opened leaves everything but the drive list as it
// was; picking the drive whose root is still shown clears only the preview.
void TestNavigation::driveNotFound()
{
    QFETCH(QString, badRoot);

    Session s;
    QVERIFY(s.open({"a.txt", "b.txt"}));
    FileRenamer &w = *s.w;
    const QString good = s.folder.path();
    const QString bad = s.sub(badRoot);
    w.Drive1->setDrives({{good, good}, {bad, bad}});
    QTest::mouseClick(w.SelectAll, Qt::LeftButton);
    const QStringList preview = previewOf({"a.txt", "b.txt"});
    QCOMPARE(w.List1->lines(), preview);

    pickFromList(w.Drive1, 1);

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(s.box->shown.at(0).text, QStringLiteral("Sorry, Drive not found!"));
    QCOMPARE(s.box->shown.at(0).flags, 16);
    QCOMPARE(s.box->shown.at(0).title, QStringLiteral("Quorlane"));
    QCOMPARE(w.Drive1->drive(), bad);
    QCOMPARE(w.Dir1->path(), good);
    QCOMPARE(w.File1->path(), good);
    QCOMPARE(w.File1->names(), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(w.File1->selectedCount(), 2);
    QCOMPARE(w.List1->lines(), preview);

    pickFromList(w.Drive1, 0);

    QCOMPARE(s.box->shown.size(), 1);
    QCOMPARE(w.Drive1->drive(), good);
    QCOMPARE(w.Dir1->path(), good);
    QCOMPARE(w.File1->selectedCount(), 2);
    QCOMPARE(w.List1->lines(), QStringList());
}

void TestNavigation::drivesComeAndGo_data()
{
    QTest::addColumn<bool>("droppedDown"); // else the system tells

#ifndef Q_OS_WIN // Wine tells no window of a drive letter made or removed
    QTest::newRow("drives/come-and-go/system-tells") << false;
#endif
    QTest::newRow("drives/come-and-go/list-dropped-down") << true;
}

// A drive put in while the window is open joins the drive list, opens at its
// root when picked, and leaves the list when it is taken out; the list then
// shows the drive of the open folder.
void TestNavigation::drivesComeAndGo()
{
    QFETCH(bool, droppedDown);

    Session s;
    QVERIFY(s.open({"a.txt"}));
    QVERIFY(makeFiles(s.sub("stick"), {"photo.jpg"}));
    FileRenamer &w = *s.w;
    auto entry = std::make_unique<NewDrive>(s.sub("stick"));
    const QString root = entry->root();
    if (root.isEmpty())
        QSKIP("A drive is added as root only.");
    QCOMPARE(w.Drive1->findData(root), -1);

    if (droppedDown)
        w.Drive1->showPopup();
    QTRY_VERIFY(w.Drive1->findData(root) >= 0);
#ifndef Q_OS_WIN // Wine lists a drive letter made by DefineDosDevice, but opens no file through it
    pickFromList(w.Drive1, w.Drive1->findData(root));
    QCOMPARE(QDir::toNativeSeparators(w.Dir1->path()), root);
    QCOMPARE(w.File1->names(), QStringList{"photo.jpg"});
    QVERIFY(w.Dir1->setPath(s.folder.path()));
#endif

    entry.reset();
    if (droppedDown)
        w.Drive1->showPopup();
    QTRY_COMPARE(w.Drive1->findData(root), -1);
    w.Drive1->hidePopup();
    QCOMPARE(DriveIndexOf({{w.Drive1->drive(), w.Drive1->root()}}, w.Dir1->path()), 0);
    QCOMPARE(s.box->shown.size(), 0);
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
