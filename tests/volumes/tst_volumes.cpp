// Renames and deletes through the real window on the volumes where batches
// mostly happen: an exFAT and a FAT32 card through FUSE, and a bind mount of
// the file system that holds the home trash.
#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QPushButton>

#include <QUrl>

namespace {

const QString Question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
const QString Failure = QStringLiteral("File already exists !");
using Kind = RealVolume::Kind;

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
    QTest::addColumn<QStringList>("others"); // in the folder too, not selected
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<Moves>("moves"); // empty: the run fails at its first file

    const QList<std::pair<Kind, const char *>> kinds
        = {{Kind::ExFat, "exfat"}, {Kind::Fat32, "fat32"}, {Kind::Bind, "bind"}};
    for (const auto &[kind, name] : kinds) {
        const bool fat = kind != Kind::Bind;
        QTest::addRow("volume/%s/case-only-lower", name)
            << kind << QStringList{"DSC_1001.JPG", "DSC_1002.JPG"} << QStringList{}
            << MakeRules(2, "", false, "1", 2)
            << Moves{{"DSC_1001.JPG", "dsc_1001.jpg"}, {"DSC_1002.JPG", "dsc_1002.jpg"}};
        QTest::addRow("volume/%s/case-only-upper", name)
            << kind << QStringList{"Beach.jpg", "holiday.jpg"} << QStringList{}
            << MakeRules(2, "", false, "1", 1)
            << Moves{{"Beach.jpg", "BEACH.JPG"}, {"holiday.jpg", "HOLIDAY.JPG"}};
        Rules counted = MakeRules(1, "trip_", true, "1");
        counted.pattern = QStringLiteral("00");
        QTest::addRow("volume/%s/prefix-and-counter", name)
            << kind << QStringList{"a.txt", "b.txt", "c.txt"} << QStringList{} << counted
            << Moves{{"a.txt", "trip_a01.txt"}, {"b.txt", "trip_b02.txt"}, {"c.txt", "trip_c03.txt"}};
        // b.txt would become a.txt, which names A.txt where case is ignored.
        QTest::addRow("volume/%s/other-file-differs-in-case", name)
            << kind << QStringList{"b.txt"} << QStringList{"A.txt"} << MakeRules(0, "a", false, "1")
            << (fat ? Moves{} : Moves{{"b.txt", "a.txt"}});
        // One FUSE FAT driver removes the file on such a rename.
        QTest::addRow("volume/%s/forbidden-character", name)
            << kind << QStringList{"a.txt", "b.txt"} << QStringList{} << MakeRules(1, "x?", false, "1")
            << (fat ? Moves{} : Moves{{"a.txt", "x?a.txt"}, {"b.txt", "x?b.txt"}});
    }
}

void TestVolumes::rename()
{
    QFETCH(Kind, kind);
    QFETCH(QStringList, files);
    QFETCH(QStringList, others);
    QFETCH(Rules, rules);
    QFETCH(Moves, moves);
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

void TestVolumes::deleteToVolumeTrash_data()
{
    QTest::addColumn<Kind>("kind");

    QTest::newRow("volume/exfat/delete-to-volume-trash") << Kind::ExFat;
    QTest::newRow("volume/fat32/delete-to-volume-trash") << Kind::Fat32;
    // The bind mount shares the home trash's file system, but a file cannot
    // move between the two mounts.
    QTest::newRow("volume/bind/delete-to-volume-trash") << Kind::Bind;
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
    WindowSession s({QStringLiteral("a b.txt"), QStringLiteral("c.txt")}, QStringLiteral("photos"), true,
                    volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a b.txt")}));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    QCOMPARE(s.shownTexts().size(), 1);
    FolderFiles left = s.before;
    const FolderFiles trashed{{QStringLiteral("a b.txt"), left.take(QStringLiteral("a b.txt"))}};
    QCOMPARE(Snapshot(s.folder), left);
    const QString trash = volume.path() + QLatin1String("/.Trash-") + QString::number(::getuid());
    QCOMPARE(Snapshot(trash + QLatin1String("/files")), trashed);
    QFile record(trash + QLatin1String("/info/a b.txt.trashinfo"));
    QVERIFY(record.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = record.readAll().split('\n');
    const QString relative = QDir(volume.path()).relativeFilePath(s.path(QStringLiteral("a b.txt")));
    QCOMPARE(lines.value(1), "Path=" + QFile::encodeName(relative).toPercentEncoding("/"));
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("share/Trash/info"))));
}

QTEST_MAIN(TestVolumes)
#include "tst_volumes.moc"
