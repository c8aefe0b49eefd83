// Renames and deletes through the real window on exFAT and FAT32 cards, a
// bind mount of the home trash's file system and a btrfs sub-volume:
// case-only batches, a batch with prefix and counter, names that differ only
// in case, a character the card cannot hold, and a delete into the volume's
// own trash, also beside trash folders that are not the user's alone.
#include "support/volumerun.h"

using namespace volumerun;

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
    AddVolumeColumns();
    const QStringList abc = {"a.txt", "b.txt", "c.txt"};
    const QStringList dsc = {"DSC_1.JPG", "DSC_2.JPG"};
    const Setup counted{abc, abc, Rules{1, "trip_", true, "00", "1"}};
    const Setup lower{dsc, dsc, MakeRules(2, "", false, "1", 2)};
    const QStringList beach = {"Beach.jpg", "holiday.jpg"};
    const Setup upper{beach, beach, MakeRules(2, "", false, "1", 1)};
    // b.txt would become a.txt, which names A.txt where case is ignored.
    const Setup otherCase{{"A.txt", "b.txt"}, {"b.txt"}, MakeRules(0, "a", false, "1")};
    const Setup forbidden{abc.mid(0, 2), abc.mid(0, 2), MakeRules(1, "x?", false, "1")};
    const Setup deletion{{"a b.txt", "b.txt"}, {"a b.txt"}, {}, true};
    const Setup openTrash{deletion.files, deletion.selected, {}, true, "open"};
    const Setup foreignTrash{deletion.files, deletion.selected, {}, true, "foreign"};

    const Holds lowered{{"dsc_1.jpg", "DSC_1.JPG"}, {"dsc_2.jpg", "DSC_2.JPG"}};
    const Holds trashed{{"b.txt", "b.txt"}};
    const Holds kept{{"a b.txt", "a b.txt"}, {"b.txt", "b.txt"}};
    for (const auto &[kind, name] : Volumes) {
        const bool fat = kind == Kind::ExFat || kind == Kind::Fat32;
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
        // cannot move between the two mounts; nor can it leave a sub-volume.
        row("delete-to-volume-trash", deletion, trashed);
        // Where files have owners, a trash others can read is not used; on a
        // card the mount decides for every file alike.
        row("delete-beside-a-trash-open-to-others", openTrash, fat ? trashed : kept, fat ? QString() : Stays);
        if (!fat)
            row("delete-beside-a-trash-of-another-user", foreignTrash, trashed);
    }
}

void TestVolumes::run()
{
    RunOnVolume(m_home.path());
}

QTEST_MAIN(TestVolumes)
#include "tst_volumes.moc"
