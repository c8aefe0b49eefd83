// A FUSE layer that fails one call, before or after carrying it out, or dies
// there as a pulled-out card does, under the real window's rename and delete
// runs: over a plain folder (hard links work) and over an exFAT card (no hard
// links, names ignore case). Afterwards every file is found by its name and
// content below the layer, none under a hidden name, and the message says
// what really happened.
#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QPushButton>

namespace {

const QString Question = QStringLiteral("The File names will be permanently renamed.\rAre you sure ?");
const QString Failure = QStringLiteral("File already exists !");
const QString Stays
    = QStringLiteral("This file could not be sent to the Recycle Bin and stays where it is:\r");
const QString NotSent = QStringLiteral("This file could not be sent to the Recycle Bin:\r");
const QString Stranded = QStringLiteral("\rThe file is now ");
using Kind = RealVolume::Kind;
// Name on disk to the file whose content it holds; "*" stands for the
// temporary name the message gives.
using Holds = QMap<QString, QString>;

FolderFiles Expected(const Holds &holds, const QString &stranded)
{
    FolderFiles files;
    for (auto it = holds.cbegin(); it != holds.cend(); ++it)
        files.insert(it.key() == QLatin1String("*") ? stranded : it.key(), ContentOf(it.value()));
    return files;
}

} // namespace

Q_DECLARE_METATYPE(RealVolume::Kind)

class TestVolumeFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rename_data();
    void rename();
    void remove_data();
    void remove();

private:
    QTemporaryDir m_home;
};

void TestVolumeFaults::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

void TestVolumeFaults::rename_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("lower"); // DSC_1.JPG and DSC_2.JPG to lower case; else a, b, c.txt get "x" before
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<Holds>("after");
    QTest::addColumn<QString>("message"); // after the question; empty: none

    const Holds none{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds first{{"xa.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds two{{"xa.txt", "a.txt"}, {"xb.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds all{{"xa.txt", "a.txt"}, {"xb.txt", "b.txt"}, {"xc.txt", "c.txt"}};
    QTest::newRow("fault/links/link-fails")
        << Kind::FaultyFolder << false << QByteArray("link 2 before") << first << Failure;
    QTest::newRow("fault/links/link-made-but-reported-failed")
        << Kind::FaultyFolder << false << QByteArray("link 2 after") << all << QString();
    QTest::newRow("fault/links/unlink-fails")
        << Kind::FaultyFolder << false << QByteArray("unlink 2 before") << first << Failure;
    QTest::newRow("fault/links/unlink-done-but-reported-failed")
        << Kind::FaultyFolder << false << QByteArray("unlink 2 after") << all << QString();
    QTest::newRow("fault/links/dead-before-link")
        << Kind::FaultyFolder << false << QByteArray("link 2 before die") << first << Failure;
    // Both names were made before the end; neither may be taken away.
    QTest::newRow("fault/links/dead-after-unlink")
        << Kind::FaultyFolder << false << QByteArray("unlink 2 after die") << two << Failure;
    QTest::newRow("fault/card/rename-fails")
        << Kind::FaultyExFat << false << QByteArray("rename 2 before") << first << Failure;
    QTest::newRow("fault/card/rename-done-but-reported-failed")
        << Kind::FaultyExFat << false << QByteArray("rename 2 after") << all << QString();
    QTest::newRow("fault/card/pulled-out-after-rename")
        << Kind::FaultyExFat << false << QByteArray("rename 2 after die") << two << Failure;
    // Lower case: each file goes through a temporary name, two renames each.
    const Holds upper{{"DSC_1.JPG", "DSC_1.JPG"}, {"DSC_2.JPG", "DSC_2.JPG"}};
    QTest::newRow("fault/card-case/second-step-fails")
        << Kind::FaultyExFat << true << QByteArray("rename 2 before") << upper << Failure;
    QTest::newRow("fault/card-case/second-step-done-but-reported-failed")
        << Kind::FaultyExFat << true << QByteArray("rename 2 after")
        << Holds{{"dsc_1.jpg", "DSC_1.JPG"}, {"dsc_2.jpg", "DSC_2.JPG"}} << QString();
    QTest::newRow("fault/card-case/pulled-out-between-steps")
        << Kind::FaultyExFat << true << QByteArray("rename 2 before die")
        << Holds{{"*", "DSC_1.JPG"}, {"DSC_2.JPG", "DSC_2.JPG"}} << Failure + Stranded;
}

void TestVolumeFaults::rename()
{
    QFETCH(Kind, kind);
    QFETCH(bool, lower);
    QFETCH(QByteArray, plan);
    QFETCH(Holds, after);
    QFETCH(QString, message);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume volume(kind);
    QVERIFY(volume.ok());
    const QStringList files
        = lower ? QStringList{"DSC_1.JPG", "DSC_2.JPG"} : QStringList{"a.txt", "b.txt", "c.txt"};
    WindowSession s(files, QStringLiteral("photos"), true, volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(lower ? MakeRules(2, QString(), false, "1", 2) : MakeRules(1, "x", false, "1"));
    QVERIFY(s.select(files));
    QVERIFY(volume.arm(plan));

    QTest::mouseClick(s.w->Rename, Qt::LeftButton);

    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 1 : 2);
    QString stranded;
    if (message.endsWith(Stranded)) {
        QVERIFY2(shown.at(1).startsWith(message), qPrintable(shown.at(1)));
        const QFileInfo place(QDir::fromNativeSeparators(shown.at(1).mid(message.size())));
        QCOMPARE(place.absolutePath(), s.folder);
        stranded = place.fileName();
        QVERIFY2(!stranded.startsWith(QLatin1Char('.')), qPrintable(stranded));
    } else if (!message.isEmpty()) {
        QCOMPARE(shown.at(1), message);
    }
    QCOMPARE(Snapshot(volume.backing(s.folder)), Expected(after, stranded));
}

void TestVolumeFaults::remove_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<bool>("trashed");
    QTest::addColumn<QString>("message"); // the start of the one after the question; empty: none

    QTest::newRow("fault/links-delete/record-write-fails")
        << Kind::FaultyFolder << QByteArray("write 1 before") << false << Stays;
    QTest::newRow("fault/links-delete/link-made-but-reported-failed")
        << Kind::FaultyFolder << QByteArray("link 1 after") << true << QString();
    QTest::newRow("fault/links-delete/unlink-done-but-reported-failed")
        << Kind::FaultyFolder << QByteArray("unlink 1 after") << true << QString();
    QTest::newRow("fault/links-delete/unlink-fails")
        << Kind::FaultyFolder << QByteArray("unlink 1 before") << false << Stays;
    QTest::newRow("fault/card-delete/rename-fails")
        << Kind::FaultyExFat << QByteArray("rename 1 before") << false << Stays;
    // The card is gone: the file cannot be seen, and nothing says it stays.
    QTest::newRow("fault/card-delete/pulled-out")
        << Kind::FaultyExFat << QByteArray("rename 1 before die") << false << NotSent;
}

// Either the file is in the volume's trash with its record, or it is where
// it was and the trash holds nothing of this attempt, not even a folder.
void TestVolumeFaults::remove()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, plan);
    QFETCH(bool, trashed);
    QFETCH(QString, message);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume volume(kind);
    QVERIFY(volume.ok());
    WindowSession s({QStringLiteral("a.txt"), QStringLiteral("b.txt")}, QStringLiteral("photos"), true,
                    volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    QVERIFY(s.select({QStringLiteral("a.txt")}));
    QVERIFY(volume.arm(plan));

    QTest::mouseClick(s.w->Delete, Qt::LeftButton);

    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 1 : 2);
    if (!message.isEmpty())
        QVERIFY2(shown.at(1).startsWith(message + s.path(QStringLiteral("a.txt")) + QLatin1Char('\r')),
                 qPrintable(shown.at(1)));
    FolderFiles left = s.before;
    const FolderFiles gone{{QStringLiteral("a.txt"), left.take(QStringLiteral("a.txt"))}};
    QCOMPARE(Snapshot(volume.backing(s.folder)), trashed ? left : s.before);
    const QString trash
        = volume.backing(volume.path()) + QLatin1String("/.Trash-") + QString::number(::getuid());
    if (trashed) {
        QCOMPARE(Snapshot(trash + QLatin1String("/files")), gone);
        QVERIFY(QFileInfo::exists(trash + QLatin1String("/info/a.txt.trashinfo")));
    } else if (message != NotSent) {
        QVERIFY(!QFileInfo::exists(trash));
    }
}

QTEST_MAIN(TestVolumeFaults)
#include "tst_volumefaults.moc"
