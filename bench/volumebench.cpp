#include "volumebench.h"

#include "realvolume.h"
#include "testservices.h"

#include "window/dirlist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"

#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>
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
    QTemporaryDir settings;
    RecordingMessageBox *box = nullptr;
    const auto services = MakeTestServices(settings.filePath(QStringLiteral("settings.ini")), &box);
    FileRenamer w(*services);
    w.Form_Load();
    w.show();
    w.Dir1->setPath(folder);
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
