// Renames and deletes through the real window over our FUSE layer, which
// fails one chosen call before or after carrying it out, or dies there as a
// pulled-out card: afterwards every file is found by name and content, none
// under a hidden name, and the message tells the truth.
#include "platform/renameservice.h"
#include "support/volumerun.h"

#include <sys/stat.h>

using namespace volumerun;

class TestVolumeFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();
    void cardOnDeviceNumberGivenAgain();

private:
    QTemporaryDir m_home;
};

void TestVolumeFaults::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(IsolateUserFolders(m_home.path()));
}

void TestVolumeFaults::run_data()
{
    AddVolumeColumns();
    const QStringList abc = {"a.txt", "b.txt", "c.txt"};
    const QStringList dsc = {"DSC_1.JPG", "DSC_2.JPG"};
    const Setup prefix{abc, abc, MakeRules(1, "x", false, "1")};
    const Setup lower{dsc, dsc, MakeRules(2, "", false, "1", 2)};
    const Setup deletion{{"a b.txt", "b.txt"}, {"a b.txt"}, {}, true};
    Setup stopped = prefix;
    stopped.progress = QStringLiteral("Renaming 2 of 3");
    const Setup stoppedDeletion{{"a b.txt", "b.txt"},
                                {"a b.txt", "b.txt"},
                                {},
                                true,
                                {},
                                QStringLiteral("Sending 1 of 2 to the Recycle Bin")};
    const Holds lowered{{"dsc_1.jpg", "DSC_1.JPG"}, {"dsc_2.jpg", "DSC_2.JPG"}};
    const Holds trashed{{"b.txt", "b.txt"}};
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
    // Links made before are no promise: a refusal means the route is learned again.
    row("links/link-refused-as-not-permitted", links, prefix, "link 2 before EPERM", all, {});
    row("links/unlink-fails", links, prefix, "unlink 2 before", first, Failure);
    row("links/unlink-done-but-reported-failed", links, prefix, "unlink 2 after", all, {});
    row("links/dead-before-link", links, prefix, "link 2 before die", first, Failure);
    // Both names were made before the end; neither may be taken away.
    row("links/dead-after-unlink", links, prefix, "unlink 2 after die", two, Failure);
    // Escape while a move waits: the file in hand still moves, the next does
    // not, and the stop is told like any other.
    row("links/escape-while-the-second-file-moves", links, stopped, "link 2 hold", two,
        Failure + "\rStopped at your request before ");
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
    row("links-delete/escape-while-the-first-file-moves", links, stoppedDeletion, "link 1 hold", trashed,
        "Stopped at your request before ");
    row("card-delete/rename-fails", card, deletion, "rename 1 before", kept, Stays);
    // The card is gone: the file cannot be seen, and nothing says it stays.
    row("card-delete/pulled-out", card, deletion, "rename 1 before die", kept, NotSent);
}

void TestVolumeFaults::run()
{
    RunOnVolume(m_home.path());
}

namespace {
dev_t DeviceOf(const QString &path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : 0;
}
} // namespace

// A card mounted after another volume was taken away may get its device
// number; what was learned of that volume (hard links work, any character
// goes) must not hold for the card.
void TestVolumeFaults::cardOnDeviceNumberGivenAgain()
{
    for (const Kind kind : {Kind::FaultyFolder, Kind::Fat32}) {
        if (const QString lacking = RealVolume::missing(kind); !lacking.isEmpty())
            QSKIP(qPrintable(QLatin1String("This test needs ") + lacking));
    }
    NativeRenameService service;
    dev_t before = 0;
    {
        const RealVolume links(Kind::FaultyFolder);
        QVERIFY(links.ok() && WriteFile(links.path() + "/a.txt", "a"));
        QVERIFY(service.rename(links.path() + "/a.txt", links.path() + "/b.txt").done);
        before = DeviceOf(links.path());
    }
    const RealVolume card(Kind::Fat32);
    QVERIFY(card.ok() && WriteFile(card.path() + "/a.txt", "a"));
    if (DeviceOf(card.path()) != before)
        QSKIP("This test needs the card to get the device number of the volume before it");
    QVERIFY(service.rename(card.path() + "/a.txt", card.path() + "/b.txt").done);
    QVERIFY(!service.rename(card.path() + "/b.txt", card.path() + "/x?.txt").done);
    QCOMPARE(Snapshot(card.path()), FolderFiles({{"b.txt", "a"}}));
}

QTEST_MAIN(TestVolumeFaults)
#include "tst_volumefaults.moc"
