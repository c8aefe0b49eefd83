// Rename and delete runs of the real window over our FUSE layer failing one
// call, or dying there as a pulled-out card: afterwards every file is found
// by name and content below the layer, none under a hidden name, and the
// message says what really happened.
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
// a, b and c.txt get "x" before; DSC_1 and DSC_2.JPG go to lower case; a.txt
// of a.txt and b.txt goes to the trash.
enum class Run { Prefix, Lower, Delete };
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
Q_DECLARE_METATYPE(Run)

class TestVolumeFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fault_data();
    void fault();

private:
    QTemporaryDir m_home;
};

void TestVolumeFaults::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

void TestVolumeFaults::fault_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Run>("run");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<Holds>("after"); // the folder below the layer
    QTest::addColumn<QString>("message"); // the start of the one after the question; empty: none

    const Holds first{{"xa.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds two{{"xa.txt", "a.txt"}, {"xb.txt", "b.txt"}, {"c.txt", "c.txt"}};
    const Holds all{{"xa.txt", "a.txt"}, {"xb.txt", "b.txt"}, {"xc.txt", "c.txt"}};
    const Holds upper{{"DSC_1.JPG", "DSC_1.JPG"}, {"DSC_2.JPG", "DSC_2.JPG"}};
    const Holds lower{{"dsc_1.jpg", "DSC_1.JPG"}, {"dsc_2.jpg", "DSC_2.JPG"}};
    const Holds kept{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}};
    const Holds trashed{{"b.txt", "b.txt"}};
    const Kind links = Kind::FaultyFolder;
    const Kind card = Kind::FaultyExFat;
    const auto row = [](const char *name, Kind kind, Run run, const char *plan, const Holds &after,
                        const QString &message) {
        QTest::addRow("fault/%s", name) << kind << run << QByteArray(plan) << after << message;
    };
    row("links/link-fails", links, Run::Prefix, "link 2 before", first, Failure);
    row("links/link-made-but-reported-failed", links, Run::Prefix, "link 2 after", all, {});
    row("links/unlink-fails", links, Run::Prefix, "unlink 2 before", first, Failure);
    row("links/unlink-done-but-reported-failed", links, Run::Prefix, "unlink 2 after", all, {});
    row("links/dead-before-link", links, Run::Prefix, "link 2 before die", first, Failure);
    // Both names were made before the end; neither may be taken away.
    row("links/dead-after-unlink", links, Run::Prefix, "unlink 2 after die", two, Failure);
    row("card/rename-fails", card, Run::Prefix, "rename 2 before", first, Failure);
    row("card/rename-done-but-reported-failed", card, Run::Prefix, "rename 2 after", all, {});
    row("card/pulled-out-after-rename", card, Run::Prefix, "rename 2 after die", two, Failure);
    // Lower case: each file goes through a temporary name, two renames each.
    row("card-case/second-step-fails", card, Run::Lower, "rename 2 before", upper, Failure);
    row("card-case/second-step-done-but-reported-failed", card, Run::Lower, "rename 2 after", lower, {});
    row("card-case/pulled-out-between-steps", card, Run::Lower, "rename 2 before die",
        {{"*", "DSC_1.JPG"}, {"DSC_2.JPG", "DSC_2.JPG"}}, Failure + Stranded);
    row("links-delete/record-write-fails", links, Run::Delete, "write 1 before", kept, Stays);
    row("links-delete/link-made-but-reported-failed", links, Run::Delete, "link 1 after", trashed, {});
    row("links-delete/unlink-done-but-reported-failed", links, Run::Delete, "unlink 1 after", trashed, {});
    row("links-delete/unlink-fails", links, Run::Delete, "unlink 1 before", kept, Stays);
    row("card-delete/rename-fails", card, Run::Delete, "rename 1 before", kept, Stays);
    // The card is gone: the file cannot be seen, and nothing says it stays.
    row("card-delete/pulled-out", card, Run::Delete, "rename 1 before die", kept, NotSent);
}

void TestVolumeFaults::fault()
{
    QFETCH(Kind, kind);
    QFETCH(Run, run);
    QFETCH(QByteArray, plan);
    QFETCH(Holds, after);
    QFETCH(QString, message);
    if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
        QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    RealVolume volume(kind);
    QVERIFY(volume.ok());
    const QStringList files = run == Run::Lower ? QStringList{"DSC_1.JPG", "DSC_2.JPG"}
        : run == Run::Prefix                    ? QStringList{"a.txt", "b.txt", "c.txt"}
                                                : QStringList{"a.txt", "b.txt"};
    WindowSession s(files, QStringLiteral("photos"), true, volume.path());
    QVERIFY(QTest::qWaitForWindowActive(s.w.get()));
    s.apply(run == Run::Lower ? MakeRules(2, QString(), false, "1", 2) : MakeRules(1, "x", false, "1"));
    QVERIFY(s.select(run == Run::Delete ? files.mid(0, 1) : files));
    QVERIFY(volume.arm(plan));

    QTest::mouseClick(run == Run::Delete ? s.w->Delete : s.w->Rename, Qt::LeftButton);

    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 1 : 2);
    QString stranded;
    if (!message.isEmpty()) {
        QVERIFY2(shown.at(1).startsWith(message), qPrintable(shown.at(1)));
        const QString rest = shown.at(1).mid(message.size());
        if (message.endsWith(Stranded)) {
            stranded = QDir::fromNativeSeparators(rest).remove(s.folder + QLatin1Char('/'));
            QVERIFY2(!stranded.startsWith(QLatin1Char('.')), qPrintable(stranded));
        } else if (run == Run::Delete) {
            QVERIFY2(rest.startsWith(s.path(QStringLiteral("a.txt")) + QLatin1Char('\r')), qPrintable(rest));
        } else {
            QVERIFY(rest.isEmpty());
        }
    }
    QCOMPARE(Snapshot(volume.backing(s.folder)), Expected(after, stranded));
    // In the trash with its record, or no trash folder left behind.
    const QString trash = volume.trash();
    if (run == Run::Delete && !after.contains(QStringLiteral("a.txt"))) {
        QCOMPARE(Snapshot(trash + QLatin1String("/files")), Expected({{"a.txt", "a.txt"}}, QString()));
        QVERIFY(QFileInfo::exists(trash + QLatin1String("/info/a.txt.trashinfo")));
    } else if (message != NotSent) {
        QVERIFY(!QFileInfo::exists(trash));
    }
}

QTEST_MAIN(TestVolumeFaults)
#include "tst_volumefaults.moc"
