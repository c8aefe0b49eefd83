// Renames and deletes through the real window on the volumes where batches
// mostly happen: an exFAT and a FAT32 card through FUSE, and a bind mount of
// the file system that holds the home trash.
#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QPushButton>

namespace {

const QString Question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
const QString Failure = QStringLiteral("File already exists !");
using Kind = RealVolume::Kind;
struct Volume {
    Kind kind;
    const char *name;
};
const Volume Volumes[] = {{Kind::ExFat, "exfat"}, {Kind::Fat32, "fat32"}, {Kind::Bind, "bind"}};

} // namespace

Q_DECLARE_METATYPE(RealVolume::Kind)

class TestVolumes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rename_data();
    void rename();
    void deleteToVolumeTrash_data();
    void deleteToVolumeTrash();

private:
    QTemporaryDir m_home;
};

void TestVolumes::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

void TestVolumes::rename_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("files"); // selected
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<Moves>("moves"); // empty: the run fails at its first file
    QTest::addColumn<QStringList>("others"); // in the folder too, not selected

    Rules counted = MakeRules(1, "trip_", true, "1");
    counted.pattern = QStringLiteral("00");
    for (const Volume &v : Volumes) {
        const bool fat = v.kind != Kind::Bind;
        const auto row = [&v](const char *what, const QStringList &files, const Rules &rules,
                              const Moves &moves, const QStringList &others = {}) {
            QTest::addRow("volume/%s/%s", v.name, what) << v.kind << files << rules << moves << others;
        };
        row("case-only-lower", {"DSC_1.JPG", "DSC_2.JPG"}, MakeRules(2, "", false, "1", 2),
            {{"DSC_1.JPG", "dsc_1.jpg"}, {"DSC_2.JPG", "dsc_2.jpg"}});
        row("case-only-upper", {"Beach.jpg", "holiday.jpg"}, MakeRules(2, "", false, "1", 1),
            {{"Beach.jpg", "BEACH.JPG"}, {"holiday.jpg", "HOLIDAY.JPG"}});
        row("prefix-and-counter", {"a.txt", "b.txt", "c.txt"}, counted,
            {{"a.txt", "trip_a01.txt"}, {"b.txt", "trip_b02.txt"}, {"c.txt", "trip_c03.txt"}});
        // b.txt would become a.txt, which names A.txt where case is ignored.
        row("other-file-differs-in-case", {"b.txt"}, MakeRules(0, "a", false, "1"),
            fat ? Moves{} : Moves{{"b.txt", "a.txt"}}, {"A.txt"});
        // One FUSE FAT driver removes the file on such a rename.
        row("forbidden-character", {"a.txt", "b.txt"}, MakeRules(1, "x?", false, "1"),
            fat ? Moves{} : Moves{{"a.txt", "x?a.txt"}, {"b.txt", "x?b.txt"}});
    }
}

void TestVolumes::rename()
{
    QFETCH(Kind, kind);
    QFETCH(QStringList, files);
    QFETCH(Rules, rules);
    QFETCH(Moves, moves);
    QFETCH(QStringList, others);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume volume(kind);
    QVERIFY(volume.ok());
    WindowSession s(files + others, QStringLiteral("photos"), true, volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(rules);
    QVERIFY(s.select(files));

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    QCOMPARE(Snapshot(s.folder), Moved(s.before, moves));
    QCOMPARE(s.shownTexts(), moves.isEmpty() ? (QStringList{Question, Failure}) : QStringList{Question});
    QCOMPARE(s.w->File1->names(), ReadFolder(s.folder, QStringLiteral("*.*")).toStringList());
    QCOMPARE(s.w->CounterStart->text(),
             moves.isEmpty() ? QStringLiteral("1") : QLatin1Char(' ') + QString::number(1 + files.size()));
}

// The bind mount shares the home trash's file system, but a file cannot move
// between the two mounts.
void TestVolumes::deleteToVolumeTrash_data()
{
    QTest::addColumn<Kind>("kind");
    for (const Volume &v : Volumes)
        QTest::addRow("volume/%s/delete-to-volume-trash", v.name) << v.kind;
}

// The file lands in the trash at the top of its volume, whose record holds
// its path relative to that top, so a card mounted elsewhere restores too.
// Nothing stays behind in the home trash.
void TestVolumes::deleteToVolumeTrash()
{
    QFETCH(Kind, kind);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume volume(kind);
    QVERIFY(volume.ok());
    WindowSession s({"a b.txt", "c.txt"}, QStringLiteral("photos"), true, volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a b.txt")}));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.shownTexts().size(), 1);
    QCOMPARE(Snapshot(s.folder), (FolderFiles{{"c.txt", ContentOf("c.txt")}}));
    QCOMPARE(Snapshot(volume.trash() + "/files"), (FolderFiles{{"a b.txt", ContentOf("a b.txt")}}));
    QFile record(volume.trash() + "/info/a b.txt.trashinfo");
    QVERIFY(record.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = record.readAll().split('\n');
    const QString relative = QDir(volume.path()).relativeFilePath(s.path(QStringLiteral("a b.txt")));
    QCOMPARE(lines.value(1), "Path=" + QFile::encodeName(relative).toPercentEncoding("/"));
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("share/Trash/info"))));
}

QTEST_MAIN(TestVolumes)
#include "tst_volumes.moc"
