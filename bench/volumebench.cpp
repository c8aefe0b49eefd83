#include "volumebench.h"

#include "benchwindow.h"
#include "realvolume.h"

#include "window/dirlist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

QList<Row> CardRenameRows()
{
    constexpr int count = 10000;
    const QString title = QStringLiteral("8 rename 10,000 on an exFAT card (FUSE)");
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::ExFat); !lacking.isEmpty())
        return {{title, QLatin1String("needs ") + lacking, QString(), QString(), QStringLiteral("<= 1.25x"),
                 QStringLiteral("-")}};
    RealVolume card(RealVolume::Kind::ExFat);
    const QString folder = card.path() + QLatin1String("/rename");
    const QStringList names = BenchNames(count);
    const QString prefix = QStringLiteral("r_");
    RecreateFolder(folder, names);
    BenchWindow window(folder);
    FileRenamer &w = *window.window;
    RecordingMessageBox *box = window.box;
    w.Option1[1]->setChecked(true);
    w.Prefixtext->setText(prefix);
    Settle();
    // The loop takes the files in the run's order: where a card keeps a
    // folder's names in a list, the order decides where each new name goes.
    std::vector<std::pair<QByteArray, QByteArray>> paths;
    for (const QString &name : w.File1->names())
        paths.emplace_back(QFile::encodeName(folder + u'/' + name),
                           QFile::encodeName(folder + u'/' + prefix + name));
    auto putBack = [&] {
        for (const auto &[present, renamed] : paths)
            std::rename(renamed.constData(), present.constData());
    };
    auto renamedAll = [&](const char *who) {
        if (CountEntries(folder, prefix) != count)
            NoteProblem(QStringLiteral("8: %1 left files unrenamed").arg(QLatin1String(who)));
    };

    const auto [run, bare]
        = MedianMs({[&] {
                        w.Rename_Click();
                        Settle();
                    },
                    [&] {
                        putBack();
                        w.File1->refresh();
                        w.File1->setAllSelected(true);
                        w.RefreshPreview();
                        Settle();
                        box->shown.clear();
                    },
                    [&] {
                        renamedAll("Rename_Click");
                        if (box->shown.size() != 1)
                            NoteProblem(QStringLiteral("8: Rename_Click showed a failure"));
                    }},
                   {[&] {
                        for (const auto &[present, renamed] : paths)
                            std::rename(present.constData(), renamed.constData());
                    },
                    putBack, [&] { renamedAll("rename()"); }});
    return {{title, Ms(run), Ms(bare) + QLatin1String(" rename() loop"), Times(run / bare),
             QStringLiteral("<= 1.25x"), Verdict(run / bare <= 1.25)}};
}

namespace {

// The longest time the window's event loop waited for its turn while this
// lives: a timer asks for it every 5 ms.
class LongestWait {
public:
    LongestWait()
    {
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
        m_since.start();
        m_timer.start(5);
    }
    qint64 longest() const { return std::max(m_longest, m_since.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

// The kernel keeps what a FUSE volume answered for a second, and the names
// it has seen for as long as it has room. The files were put back below the
// layer, behind its back: each stale name would cost a contender a second
// question that no user of the share meets. So the names are forgotten
// (which needs root) and the answers left to expire: both contenders find
// the files afresh.
void ForgetCachedAnswers()
{
    if (QFile drop(QStringLiteral("/proc/sys/vm/drop_caches")); drop.open(QIODevice::WriteOnly))
        drop.write("2\n");
    QThread::msleep(1100);
}

} // namespace

QList<Row> ShareRows()
{
    constexpr int count = 1000;
    const QString share = QStringLiteral("10 share (2 ms a request), 1,000: ");
    if (const QString lacking = RealVolume::missing(RealVolume::Kind::FaultyFolder); !lacking.isEmpty())
        return {{share + QLatin1String("every row"), QLatin1String("needs ") + lacking, QString(), QString(),
                 QString(), QStringLiteral("-")}};
    RealVolume volume(RealVolume::Kind::FaultyFolder);
    const QString folder = volume.path() + QLatin1String("/files");
    const QString below = volume.backing(folder);
    const QString trash = volume.path() + QLatin1String("/.Trash-") + QString::number(VolumeUserId(false));
    const QString trashBelow = volume.trash();
    const QStringList names = BenchNames(count);
    const QString prefix = QStringLiteral("r_");
    RecreateFolder(below, names);
    QDir().mkpath(trashBelow + QLatin1String("/files"));
    QDir().mkpath(trashBelow + QLatin1String("/info"));
    QFile::setPermissions(trashBelow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QTemporaryDir elsewhere;
    if (!volume.ok() || !volume.arm("delay 2"))
        NoteProblem(QStringLiteral("10: the share was not mounted"));

    BenchWindow window(folder);
    FileRenamer &w = *window.window;
    w.Option1[1]->setChecked(true);
    w.Prefixtext->setText(prefix);
    Settle();
    qint64 longest = 0;
    auto watched = [&](const std::function<void()> &click) {
        return [&, click] {
            const LongestWait wait;
            click();
            Settle();
            longest = std::max(longest, wait.longest());
        };
    };
    QList<Row> rows;

    // Opening the folder, from another one, against readdir and sort.
    const auto [opened, listed] = MedianMs(
        {[&] {
             w.Dir1->setPath(folder);
             Settle();
         },
         [&] {
             w.Dir1->setPath(elsewhere.path());
             Settle();
             ForgetCachedAnswers();
         },
         [&] {
             if (w.File1->listCount() != count)
                 NoteProblem(
                     QStringLiteral("10: the opened folder lists %1 files").arg(w.File1->listCount()));
         }},
        {[&] {
             if (BareList(folder).size() != count)
                 NoteProblem(QStringLiteral("10: readdir missed files"));
         },
         ForgetCachedAnswers});
    rows.append({share + QLatin1String("open the folder"), Ms(opened),
                 Ms(listed) + QLatin1String(" readdir+sort"), Times(opened / listed),
                 QStringLiteral("<= 1.3x"), Verdict(opened / listed <= 1.3)});

    const QStringList inOrder = w.File1->names();
    std::vector<std::pair<QByteArray, QByteArray>> paths;
    for (const QString &name : inOrder)
        paths.emplace_back(QFile::encodeName(folder + u'/' + name),
                           QFile::encodeName(folder + u'/' + prefix + name));
    auto putBack = [&] {
        PutBack(below, names, below, prefix);
        ForgetCachedAnswers();
    };
    auto renamedAll = [&](const char *who) {
        if (CountEntries(below, prefix) != count)
            NoteProblem(QStringLiteral("10: %1 left files unrenamed").arg(QLatin1String(who)));
    };
    const auto [renamed, bareRenamed]
        = MedianMs({watched([&] { w.Rename_Click(); }),
                    [&] {
                        putBack();
                        w.File1->refresh();
                        w.File1->setAllSelected(true);
                        w.RefreshPreview();
                        AwaitStop(w);
                        window.box->shown.clear();
                    },
                    [&] {
                        renamedAll("Rename_Click");
                        if (window.box->shown.size() != 1)
                            NoteProblem(QStringLiteral("10: Rename_Click showed a failure"));
                    }},
                   {[&] {
                        for (const auto &[present, renamed] : paths)
                            std::rename(present.constData(), renamed.constData());
                    },
                    putBack, [&] { renamedAll("rename()"); }});
    rows.append({share + QLatin1String("rename"), Ms(renamed),
                 Ms(bareRenamed) + QLatin1String(" rename() loop"), Times(renamed / bareRenamed),
                 QStringLiteral("<= 1.35x"), Verdict(renamed / bareRenamed <= 1.35)});
    // The peer the run is held to: perl rename looks whether each new name
    // is free, then renames, in the same order.
    if (const QString perl = PerlRename(); !perl.isEmpty()) {
        const Time peer = MedianMs(
            {[&] { RunPerlRename(perl, folder, inOrder); }, putBack, [&] { renamedAll("perl rename"); }});
        rows.append({share + QLatin1String("rename (perl rename, peer)"), Ms(peer),
                     Ms(bareRenamed) + QLatin1String(" rename() loop"), Times(peer / bareRenamed),
                     QStringLiteral("-"), QStringLiteral("-")});
    }

    // Deleting to the volume's trash against its least work: each file's
    // record written, then the file moved into files/.
    auto fresh = [&] {
        PutBack(below, names, trashBelow + QLatin1String("/files"), QString());
        QDir(trashBelow + QLatin1String("/info")).removeRecursively();
        QDir().mkpath(trashBelow + QLatin1String("/info"));
        ForgetCachedAnswers();
    };
    auto trashedAll = [&](const char *who) {
        if (CountEntries(below) != 0 || CountEntries(trashBelow + QLatin1String("/files")) != count)
            NoteProblem(QStringLiteral("10: %1 did not trash every file").arg(QLatin1String(who)));
    };
    const QByteArray date = QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1();
    const auto [deleted, bareDeleted] = MedianMs(
        {watched([&] { w.Delete_Click(); }),
         [&] {
             fresh();
             w.File1->refresh();
             w.File1->setAllSelected(true);
             window.box->shown.clear();
         },
         [&] {
             trashedAll("Delete_Click");
             if (window.box->shown.size() != 1)
                 NoteProblem(QStringLiteral("10: Delete_Click showed a failure: ")
                             + window.box->shown.value(1).text);
         }},
        {[&] {
             for (const QString &name : names) {
                 const QByteArray record = "[Trash Info]\nPath=" + QFile::encodeName(folder + u'/' + name)
                     + "\nDeletionDate=" + date + '\n';
                 const int fd = ::open(
                     QFile::encodeName(trash + QLatin1String("/info/") + name + QLatin1String(".trashinfo")),
                     O_WRONLY | O_CREAT | O_EXCL, 0600);
                 if (fd < 0 || ::write(fd, record.constData(), record.size()) != record.size())
                     NoteProblem(QStringLiteral("10: a trash record was not written"));
                 ::close(fd);
                 std::rename(QFile::encodeName(folder + u'/' + name).constData(),
                             QFile::encodeName(trash + QLatin1String("/files/") + name).constData());
             }
         },
         fresh, [&] { trashedAll("the bare loop"); }});
    rows.append({share + QLatin1String("delete"), Ms(deleted),
                 Ms(bareDeleted) + QLatin1String(" record+rename loop"), Times(deleted / bareDeleted),
                 QStringLiteral("<= 1.3x"), Verdict(deleted / bareDeleted <= 1.3)});
    rows.append({share + QLatin1String("longest wait of the window in a run"),
                 QStringLiteral("%1 ms").arg(longest), QString(), QString(), QStringLiteral("<= 50 ms"),
                 Verdict(longest <= 50)});

    fresh();
    w.File1->refresh();
    rows.append(RenameQuestionCurrentRow(window, count, share + QLatin1String("Rename to its question")));
    return rows;
}
