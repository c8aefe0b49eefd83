// Renames and deletes through the real window on exFAT and FAT32 cards, a bind
// mount of the home trash's file system, and our FUSE layer failing one call
// or dying there as a pulled-out card: afterwards every file is found by name
// and content, none under a hidden name, and the message tells the truth.
#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QPushButton>

namespace {

const QString Failure = QStringLiteral("File already exists !");
const QString Stays
    = QStringLiteral("This file could not be sent to the Recycle Bin and stays where it is:\r");
const QString NotSent = QStringLiteral("This file could not be sent to the Recycle Bin:\r");
const QString Stranded = QStringLiteral("\rThe file is now ");
using Kind = RealVolume::Kind;
const std::pair<Kind, const char *> Volumes[]
    = {{Kind::ExFat, "exfat"}, {Kind::Fat32, "fat32"}, {Kind::Bind, "bind"}};

// The folder's files, those selected, the rules, and whether the run deletes.
struct Setup {
    QStringList files;
    QStringList selected;
    Rules rules;
    bool deleting = false;
};

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
Q_DECLARE_METATYPE(Setup)

class TestVolumes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();

private:
    QTemporaryDir m_home;
};

void TestVolumes::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

void TestVolumes::run_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QByteArray>("plan"); // the fault layer's
    QTest::addColumn<Holds>("after"); // the folder, below the fault layer
    QTest::addColumn<QString>("message"); // the start of the one after the question; empty: none

    const QStringList abc = {"a.txt", "b.txt", "c.txt"};
    const QStringList dsc = {"DSC_1.JPG", "DSC_2.JPG"};
    const Setup prefix{abc, abc, MakeRules(1, "x", false, "1")};
    const Setup counted{abc, abc, Rules{1, "trip_", true, "00", "1"}};
    const Setup lower{dsc, dsc, MakeRules(2, "", false, "1", 2)};
    const QStringList beach = {"Beach.jpg", "holiday.jpg"};
    const Setup upper{beach, beach, MakeRules(2, "", false, "1", 1)};
    // b.txt would become a.txt, which names A.txt where case is ignored.
    const Setup otherCase{{"A.txt", "b.txt"}, {"b.txt"}, MakeRules(0, "a", false, "1")};
    const Setup forbidden{abc.mid(0, 2), abc.mid(0, 2), MakeRules(1, "x?", false, "1")};
    const Setup deletion{{"a b.txt", "b.txt"}, {"a b.txt"}, {}, true};

    const Holds lowered{{"dsc_1.jpg", "DSC_1.JPG"}, {"dsc_2.jpg", "DSC_2.JPG"}};
    const Holds trashed{{"b.txt", "b.txt"}};
    for (const auto &[kind, name] : Volumes) {
        const bool fat = kind != Kind::Bind;
        const auto row = [kind = kind, name = name](const char *what, const Setup &setup, const Holds &after,
                                                    const QString &message = {}) {
            QTest::addRow("volume/%s/%s", name, what) << kind << setup << QByteArray() << after << message;
        };
        row("case-only-lower", lower, lowered);
        row("case-only-upper", upper, {{"BEACH.JPG", "Beach.jpg"}, {"HOLIDAY.JPG", "holiday.jpg"}});
        row("prefix-and-counter", counted,
            {{"trip_a01.txt", "a.txt"}, {"trip_b02.txt", "b.txt"}, {"trip_c03.txt", "c.txt"}});
        row("other-file-differs-in-case", otherCase, {{"A.txt", "A.txt"}, {fat ? "b.txt" : "a.txt", "b.txt"}},
            fat ? Failure : QString());
        // One FUSE FAT driver removes the file on such a rename.
        row("forbidden-character", forbidden,
            {{fat ? "a.txt" : "x?a.txt", "a.txt"}, {fat ? "b.txt" : "x?b.txt", "b.txt"}},
            fat ? Failure : QString());
        // The bind mount shares the home trash's file system, but a file
        // cannot move between the two mounts.
        row("delete-to-volume-trash", deletion, trashed);
    }

    const Holds first{{"xa.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds two{{"xa.txt", "a.txt"}, {"xb.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds all{{"xa.txt", "a.txt"}, {"xb.txt", "b.txt"}, {"xc.txt", "c.txt"}};
    const Holds unchanged{{"DSC_1.JPG", "DSC_1.JPG"}, {"DSC_2.JPG", "DSC_2.JPG"}};
    const Holds kept{{"a b.txt", "a b.txt"}, {"b.txt", "b.txt"}};
    const Kind links = Kind::FaultyFolder; // hard links work
    const Kind card = Kind::FaultyExFat; // no hard links, names ignore case
    const auto row = [](const char *name, Kind kind, const Setup &setup, const char *plan, const Holds &after,
                        const QString &message) {
        QTest::addRow("fault/%s", name) << kind << setup << QByteArray(plan) << after << message;
    };
    row("links/link-fails", links, prefix, "link 2 before", first, Failure);
    row("links/link-made-but-reported-failed", links, prefix, "link 2 after", all, {});
    row("links/unlink-fails", links, prefix, "unlink 2 before", first, Failure);
    row("links/unlink-done-but-reported-failed", links, prefix, "unlink 2 after", all, {});
    row("links/dead-before-link", links, prefix, "link 2 before die", first, Failure);
    // Both names were made before the end; neither may be taken away.
    row("links/dead-after-unlink", links, prefix, "unlink 2 after die", two, Failure);
    row("card/rename-fails", card, prefix, "rename 2 before", first, Failure);
    row("card/rename-done-but-reported-failed", card, prefix, "rename 2 after", all, {});
    row("card/pulled-out-after-rename", card, prefix, "rename 2 after die", two, Failure);
    // Lower case: each file goes through a temporary name, two renames each.
    row("card-case/second-step-fails", card, lower, "rename 2 before", unchanged, Failure);
    row("card-case/second-step-done-but-reported-failed", card, lower, "rename 2 after", lowered, {});
    row("card-case/pulled-out-between-steps", card, lower, "rename 2 before die",
        {{"*", "DSC_1.JPG"}, {"DSC_2.JPG", "DSC_2.JPG"}}, Failure + Stranded);
    row("links-delete/record-write-fails", links, deletion, "write 1 before", kept, Stays);
    row("links-delete/link-made-but-reported-failed", links, deletion, "link 1 after", trashed, {});
    row("links-delete/unlink-done-but-reported-failed", links, deletion, "unlink 1 after", trashed, {});
    row("links-delete/unlink-fails", links, deletion, "unlink 1 before", kept, Stays);
    row("card-delete/rename-fails", card, deletion, "rename 1 before", kept, Stays);
    // The card is gone: the file cannot be seen, and nothing says it stays.
    row("card-delete/pulled-out", card, deletion, "rename 1 before die", kept, NotSent);
}

void TestVolumes::run()
{
    QFETCH(Kind, kind);
    QFETCH(Setup, setup);
    QFETCH(QByteArray, plan);
    QFETCH(Holds, after);
    QFETCH(QString, message);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume volume(kind);
    QVERIFY(volume.ok());
    WindowSession s(setup.files, QStringLiteral("photos"), true, volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(setup.rules);
    QVERIFY(s.select(setup.selected));
    QVERIFY(plan.isEmpty() || volume.arm(plan));

    QTest::mouseClick(setup.deleting ? s.w->Delete : s.w->Rename, Qt::LeftButton);

    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 1 : 2);
    QString stranded;
    if (!message.isEmpty()) {
        QVERIFY2(shown.at(1).startsWith(message), qPrintable(shown.at(1)));
        const QString rest = shown.at(1).mid(message.size());
        if (message.endsWith(Stranded)) {
            stranded = QDir::fromNativeSeparators(rest).remove(s.folder + QLatin1Char('/'));
            QVERIFY2(!stranded.startsWith(QLatin1Char('.')), qPrintable(stranded));
        } else if (setup.deleting) {
            QVERIFY2(rest.startsWith(s.path(setup.selected.first()) + QLatin1Char('\r')), qPrintable(rest));
        } else {
            QVERIFY(rest.isEmpty());
        }
    }
    QCOMPARE(Snapshot(volume.backing(s.folder)), Expected(after, stranded));
    QCOMPARE(s.w->File1->names(), ReadFolder(s.folder, QStringLiteral("*.*")).toStringList());
    QCOMPARE(s.w->CounterStart->text(),
             setup.deleting || !message.isEmpty()
                 ? QStringLiteral("1")
                 : QLatin1Char(' ') + QString::number(1 + setup.selected.size()));
    // In its volume's trash, recorded by its path from the volume's top so that
    // a card mounted elsewhere restores too; else no trash. Never the home's.
    const QString trash = volume.trash();
    if (setup.deleting && !after.contains(setup.selected.first())) {
        QCOMPARE(Snapshot(trash + "/files"), Expected({{"a b.txt", "a b.txt"}}, QString()));
        QFile record(trash + "/info/a b.txt.trashinfo");
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QString relative = QDir(volume.path()).relativeFilePath(s.path("a b.txt"));
        QCOMPARE(record.readAll().split('\n').value(1),
                 "Path=" + QFile::encodeName(relative).toPercentEncoding("/"));
    } else if (message != NotSent) {
        QVERIFY(!QFileInfo::exists(trash));
    }
    QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("share/Trash/info"))));
}

QTEST_MAIN(TestVolumes)
#include "tst_volumes.moc"
