#pragma once

// A rename or delete through the real window on a real volume, and what a
// user finds afterwards: every file by name and content, none under a hidden
// name, a message that tells the truth, and the trash on the file's volume.

#include "support/foldersnapshot.h"
#include "support/realvolume.h"

#include <QPushButton>
#include <QTimer>

namespace volumerun {

const QString Failure = QStringLiteral("File already exists !");
const QString Stays
    = QStringLiteral("This file could not be sent to the Recycle Bin and stays where it is:\r");
const QString NotSent = QStringLiteral("This file could not be sent to the Recycle Bin:\r");
const QString Stranded = QStringLiteral("\rThe file is now ");
using Kind = RealVolume::Kind;
const std::pair<Kind, const char *> Volumes[] = {{Kind::ExFat, "exfat"},
                                                 {Kind::Fat32, "fat32"},
                                                 {Kind::Bind, "bind"},
                                                 {Kind::BtrfsSubvolume, "btrfs-subvolume"}};

// The folder's files, those selected, the rules, whether the run deletes, a
// trash folder found on the volume: "open" (.Trash-$uid open to all) or
// "foreign" (.Trash/$uid of another user), and the progress the window's
// title shows while the plan holds a call ("Renaming 2 of 3"), when the user
// presses Escape then.
struct Setup {
    QStringList files;
    QStringList selected;
    Rules rules;
    bool deleting = false;
    QString trash = {};
    QString progress = {};
};

// Name on disk to the file whose content it holds; "*" stands for the
// temporary name the message gives.
using Holds = QMap<QString, QString>;

inline FolderFiles Expected(const Holds &holds, const QString &stranded)
{
    FolderFiles files;
    for (auto it = holds.cbegin(); it != holds.cend(); ++it)
        files.insert(it.key() == QLatin1String("*") ? stranded : it.key(), ContentOf(it.value()));
    return files;
}

} // namespace volumerun

Q_DECLARE_METATYPE(volumerun::Setup)

namespace volumerun {

// The run of one row; `home` holds the user's own folders.
inline void RunOnVolume(const QString &home)
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
    const QByteArray top = QFile::encodeName(volume.path());
    const QByteArray uid = QByteArray::number(::getuid());
    if (setup.trash == QLatin1String("open")) {
        QVERIFY(::mkdir(top + "/.Trash-" + uid, 0777) == 0);
        ::chmod(top + "/.Trash-" + uid, 0777); // a card keeps no modes of its own
    }
    if (setup.trash == QLatin1String("foreign"))
        QVERIFY(::mkdir(top + "/.Trash", 01777) == 0 && ::chmod(top + "/.Trash", 01777) == 0
                && ::mkdir(top + "/.Trash/" + uid, 0700) == 0
                && ::chown(top + "/.Trash/" + uid, 65534, 65534) == 0);

    // The window keeps painting while a call is held: once its title shows
    // how far the run is, Escape, and the call goes on.
    QTimer escape;
    QString title;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (!s.w->windowTitle().startsWith(setup.progress))
            return;
        title = s.w->windowTitle();
        escape.stop();
        QTest::keyClick(s.w.get(), Qt::Key_Escape);
        QVERIFY(volume.release());
    });
    if (!setup.progress.isEmpty())
        escape.start(20);

    QTest::mouseClick(setup.deleting ? s.w->Delete : s.w->Rename, Qt::LeftButton);

    QCOMPARE(title, setup.progress.isEmpty() ? QString() : setup.progress + " - Quorlane v1.01");
    QCOMPARE(s.w->windowTitle(), QStringLiteral("Quorlane v1.01"));
    const QStringList shown = s.shownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 1 : 2);
    QString stranded;
    if (!message.isEmpty()) {
        QVERIFY2(shown.at(1).startsWith(message), qPrintable(shown.at(1)));
        const QString rest = shown.at(1).mid(message.size());
        if (message.endsWith(Stranded)) {
            stranded = QDir::fromNativeSeparators(rest).remove(s.folder + QLatin1Char('/'));
            QVERIFY2(!stranded.startsWith(QLatin1Char('.')), qPrintable(stranded));
        } else if (!setup.progress.isEmpty()) {
            // Stopped before the next file, which is named.
            QVERIFY2(rest.startsWith(QDir::toNativeSeparators(s.path(setup.selected.last()))),
                     qPrintable(rest));
        } else if (setup.deleting) {
            QVERIFY2(rest.startsWith(s.path(setup.selected.first()) + QLatin1Char('\r')), qPrintable(rest));
        } else {
            QVERIFY(rest.isEmpty());
        }
    }
    QCOMPARE(Snapshot(volume.backing(s.folder)), Expected(after, stranded));
    QCOMPARE(s.w->File1->names(), ListedNames(Snapshot(s.folder)));
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
        QVERIFY(setup.trash.isEmpty() ? !QFileInfo::exists(trash) : Snapshot(trash).isEmpty());
    }
    QVERIFY(!QFileInfo::exists(home + QLatin1String("/share/Trash/info")));
}

} // namespace volumerun

// The columns of a volume table: the volume, the run, the fault layer's plan,
// the folder afterwards (below the fault layer) and the start of the message
// after the question (empty: none).
inline void AddVolumeColumns()
{
    QTest::addColumn<RealVolume::Kind>("kind");
    QTest::addColumn<volumerun::Setup>("setup");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<volumerun::Holds>("after");
    QTest::addColumn<QString>("message");
}
