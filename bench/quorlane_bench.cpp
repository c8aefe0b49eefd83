// The speed and memory figures of the program on large folders, each beside
// a bare baseline measured in the same run: the least work that gives the
// same result. The exit code is 1 when a row misses its target or a check of
// a run fails.
//
//   quorlane_bench              every case
//   quorlane_bench --case N     case N only (1 to 10), e.g. under a profiler
#include "benchkit.h"
#include "benchwindow.h"
#include "volumebench.h"

#include "batch/batchjournal.h"
#include "batch/previewmodel.h"
#include "rules/numbertext.h"
#include "rules/renamerules.h"
#include "window/dirlist.h"
#include "window/filelist.h"
#include "window/filerenamer.h"
#include "window/previewlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <memory>

namespace {

constexpr int Big = 100000;

// A prefix before the names, a four-digit counter, an edit of the names and
// lower case: every step of the composition does work.
void SetPreviewRules(FileRenamer &w)
{
    w.Option1[1]->setChecked(true);
    w.Prefixtext->setText(QStringLiteral("trip_"));
    w.CounterFormatCombo->setCurrentText(QStringLiteral("0000"));
    w.IncludeCountCheck->setChecked(true);
    w.RemoveText->setText(QStringLiteral("IMG"));
    w.ReplaceText->setText(QStringLiteral("P"));
    w.Option2[2]->setChecked(true);
}

// The least work that shows what the preview shows: the lines the list has
// room for, composed under the rules the window shows now and drawn in the
// list's font into a picture of the list's size. The files are the first
// listed ones, all selected; the preview is shown once first, for the number
// of lines that fit.
Timed BareShowVisible(FileRenamer &w)
{
    w.RefreshPreview();
    Settle();
    const QWidget *viewport = w.List1->viewport();
    const int lines
        = std::min(w.File1->listCount(), w.List1->indexAt(QPoint(0, viewport->height() - 1)).row() + 1);
    QStringList names = w.File1->names().mid(0, lines);
    return {[rules = w.ReadRules(), names, font = w.List1->font(), size = viewport->size()] {
        const QLocale locale;
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.setFont(font);
        const int height = painter.fontMetrics().height();
        qint32 counter = 1;
        for (const QString &name : names) {
            const QString line = name + QLatin1String("\t --> ") + ComposeName(rules, name, counter, locale);
            painter.drawText(QRect(0, (counter - 1) * height, size.width(), height), Qt::TextExpandTabs,
                             line);
            ++counter;
        }
        if (names.isEmpty())
            NoteProblem(QStringLiteral("the bare preview shows no line"));
    }};
}

Timed BareListing(const QString &folder, int count, const QStringList &extensions = {})
{
    return {[folder, count, extensions] {
        if (BareList(folder, extensions).size() != count)
            NoteProblem(QStringLiteral("the bare listing missed names in ") + folder);
    }};
}

int Matching(const QStringList &names, const QStringList &extensions)
{
    return int(std::count_if(names.begin(), names.end(), [&](const QString &name) {
        for (const QString &extension : extensions) {
            if (name.endsWith(extension, Qt::CaseInsensitive))
                return true;
        }
        return false;
    }));
}

void Expect(bool ok, const QString &what)
{
    if (!ok)
        NoteProblem(what);
}

// 1. The file list re-read under two masks against readdir plus sort.
Row ListingRow(const QString &big)
{
    BenchWindow w(big);
    const int expected = Matching(BenchNames(Big), {QStringLiteral(".jpg"), QStringLiteral(".gif")});
    const auto [listed, bare]
        = MedianMs({[&] {
                        w->File1->setPattern(QStringLiteral("*.jpg;*.gif"));
                        Settle();
                    },
                    {},
                    [&] { Expect(w->File1->listCount() == expected, QStringLiteral("1: wrong listing")); }},
                   BareListing(big, expected, {QStringLiteral(".jpg"), QStringLiteral(".gif")}));
    return {QStringLiteral("1 list 100,000 *.jpg;*.gif"),
            Ms(listed),
            Ms(bare) + QLatin1String(" readdir+filter+sort"),
            Times(listed / bare),
            QStringLiteral("ratio <= 1.5"),
            Verdict(listed / bare <= 1.5)};
}

// 2. RefreshPreview with every listed file selected.
Row PreviewRow(const QString &folder, int count, double maxMs, double maxRatio)
{
    BenchWindow w(folder);
    SetPreviewRules(*w.window);
    w->File1->setAllSelected(true);
    const auto [rebuilt, bare]
        = MedianMs({[&] {
                        w->RefreshPreview();
                        Settle();
                    },
                    {},
                    [&] { Expect(w->List1->listCount() == count, QStringLiteral("2: wrong preview")); }},
                   BareShowVisible(*w.window));
    const double ratio = rebuilt / bare;
    QString target = QStringLiteral("<= %1 ms").arg(maxMs);
    bool pass = rebuilt.wall <= maxMs;
    if (maxRatio > 0) {
        target += QStringLiteral(", ratio <= %1").arg(maxRatio);
        pass = pass && ratio <= maxRatio;
    }
    return {QStringLiteral("2 preview %1 selected").arg(QLocale(QLocale::English).toString(count)),
            Ms(rebuilt),
            Ms(bare) + QLatin1String(" visible lines"),
            Times(ratio),
            target,
            Verdict(pass)};
}

// 3. Run in a child process, so that the peak is this case's alone: the
// window opened on an empty folder, then on `count` files, all selected,
// previewed and their stop foretold. Prints "<baseline kB> <peak kB>".
int PeakMemoryChild(const QString &folder, int count)
{
    BenchWindow w{QString()};
    SetPreviewRules(*w.window);
    const long baseline = PeakMemoryKb();
    w->Dir1->setPath(folder);
    w->File1->setAllSelected(true);
    w->RefreshPreview();
    AwaitStop(*w.window);
    if (w->List1->model()->rowCount() != count)
        return 1;
    std::printf("%ld %ld\n", baseline, PeakMemoryKb());
    return 0;
}

Row PeakMemoryRow(const QString &folder, int count, double maxMb)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--peak-memory"), folder, QString::number(count)});
    child.waitForFinished(-1);
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    const QString size = QLocale(QLocale::English).toString(count);
    Row row{QStringLiteral("%1 peak memory, %2 listed+previewed").arg(count > Big ? 7 : 3).arg(size),
            QStringLiteral("failed"),
            QString(),
            QString(),
            QStringLiteral("<= %1 MB").arg(maxMb),
            Verdict(false)};
    if (child.exitCode() != 0 || figures.size() != 2)
        return row;
    const double baseline = figures[0].toDouble() / 1024;
    const double peak = figures[1].toDouble() / 1024;
    row.measured = QString::number(peak, 'f', 1) + QLatin1String(" MB");
    row.baseline = QString::number(baseline, 'f', 1) + QLatin1String(" MB empty window");
    row.ratio = Times(peak / baseline);
    row.result = Verdict(peak <= maxMb);
    return row;
}

// 4. Rename_Click over every file of a folder ("r_" before each name)
// against renameat2 on the same names in the same (list) order, and the perl
// rename as a peer. The order matters: ext4 renames the names of a folder in
// their creation order some 8% faster than in the list's sorted order.
QList<Row> RenameCase(const QString &base, int count)
{
    const QString folder = base + QStringLiteral("/rename-%1").arg(count);
    const QStringList names = BenchNames(count);
    const QString size = QLocale(QLocale::English).toString(count);
    const QString prefix = QStringLiteral("r_");
    auto renamedAll = [&](const char *who) {
        Expect(CountEntries(folder, prefix) == count,
               QStringLiteral("4: %1 left files unrenamed").arg(QLatin1String(who)));
    };

    RecreateFolder(folder, names);
    BenchWindow w(folder);
    w->Option1[1]->setChecked(true);
    w->Prefixtext->setText(prefix);
    std::vector<std::pair<QByteArray, QByteArray>> paths;
    const FileNames &listed = w->File1->fileNames();
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const QString name = listed.at(i).toString();
        paths.emplace_back(QFile::encodeName(folder + u'/' + name),
                           QFile::encodeName(folder + u'/' + prefix + name));
    }
    const auto [run, bare] = MedianMs(
        {[&] {
             w->Rename_Click();
             Settle();
         },
         // The preview's stop is known before Rename is pressed, as when a
         // user reads the preview first; the folder's last change lies
         // further back than its time's granularity, as it does for a user.
         [&] {
             PutBack(folder, names, folder, prefix);
             QThread::msleep(50);
             w->File1->refresh();
             w->File1->setAllSelected(true);
             w->RefreshPreview();
             AwaitStop(*w.window);
             w.box->shown.clear();
         },
         [&] {
             renamedAll("Rename_Click");
             Expect(w.box->shown.size() == 1, QStringLiteral("4: Rename_Click showed a failure"));
         }},
        {[&] {
             for (const auto &[from, to] : paths)
                 ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
         },
         [&] { PutBack(folder, names, folder, prefix); }, [&] { renamedAll("renameat2"); }});

    // Throughput ratio: the run's files per second over the loop's.
    QList<Row> rows
        = {{QStringLiteral("4 rename %1 (Rename_Click)").arg(size), Ms(run),
            Ms(bare) + QLatin1String(" renameat2 loop"), Times(bare / run) + QLatin1String(" thr"),
            QStringLiteral("throughput >= 0.8x"), Verdict(bare / run >= 0.8)}};

    // The journal's own share of the run: its header, the moves with their
    // files' identities in one block, each synced, and the end, as the run
    // writes them around its renames.
    JournalBatch batch{JournalBatch::Kind::Rename, folder, QStringLiteral("1"), {}, {}, std::nullopt};
    for (const QString &name : names) {
        batch.from.append(name);
        batch.to.append(prefix + name);
        batch.identities.push_back(IdentityOf(folder + u'/' + prefix + name).value_or(FileIdentity()));
    }
    batch.planned = count;
    BatchJournal journal(w.settingsDir.filePath(QStringLiteral("journal")));
    const Time kept = MedianMs({[&] {
        QString error;
        Expect(journal.begin(batch, &error) && journal.add(batch, 0, count, &error),
               QStringLiteral("4: the journal was not written: ") + error);
        journal.end(count);
    }});
    rows.append({QStringLiteral("4 journal of %1 renames").arg(size), Ms(kept),
                 Ms(run) + QLatin1String(" the run"), Times(kept / run), QStringLiteral("-"),
                 QStringLiteral("-")});

    Row peer{QStringLiteral("4 rename %1 (perl rename, peer)").arg(size),
             QStringLiteral("not installed"),
             Ms(bare) + QLatin1String(" renameat2 loop"),
             QString(),
             QStringLiteral("-"),
             QStringLiteral("-")};
    const QString perl = PerlRename();
    if (!perl.isEmpty()) {
        const Time peerMs
            = MedianMs({[&] { RunPerlRename(perl, folder, names); },
                        [&] { PutBack(folder, names, folder, prefix); }, [&] { renamedAll("perl rename"); }});
        peer.measured = Ms(peerMs);
        peer.ratio = Times(bare / peerMs) + QLatin1String(" thr");
    }
    rows.append(peer);
    return rows;
}

// 5. Delete_Click over 10,000 files against rename() into the trash folder.
Row DeleteRow(const QString &base)
{
    constexpr int count = 10000;
    const QString folder = base + QStringLiteral("/delete");
    const QString trash
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    const QStringList names = BenchNames(count);
    auto trashedAll = [&](const char *who) {
        Expect(CountEntries(folder) == 0 && CountEntries(trash + QStringLiteral("/files")) == count,
               QStringLiteral("5: %1 did not trash every file").arg(QLatin1String(who)));
    };
    // The used trash is moved aside, not emptied: see main.
    int spent = 0;
    auto fresh = [&] {
        PutBack(folder, names, trash + QStringLiteral("/files"), QString());
        QDir().rename(trash, base + QStringLiteral("/spent-trash-%1").arg(++spent));
    };

    RecreateFolder(folder, names);
    BenchWindow w(folder);
    std::vector<std::pair<QByteArray, QByteArray>> paths;
    for (const QString &name : names)
        paths.emplace_back(QFile::encodeName(folder + u'/' + name),
                           QFile::encodeName(trash + QStringLiteral("/files/") + name));
    const auto [run, bare]
        = MedianMs({[&] {
                        w->Delete_Click();
                        Settle();
                    },
                    [&] {
                        fresh();
                        w->File1->refresh();
                        w->File1->setAllSelected(true);
                        w.box->shown.clear();
                    },
                    [&] {
                        trashedAll("Delete_Click");
                        Expect(w.box->shown.size() == 1, QStringLiteral("5: Delete_Click showed a failure"));
                    }},
                   {[&] {
                        for (const auto &[from, to] : paths)
                            std::rename(from.constData(), to.constData());
                    },
                    [&] {
                        fresh();
                        QDir().mkpath(trash + QStringLiteral("/files"));
                    },
                    [&] { trashedAll("rename()"); }});
    return {QStringLiteral("5 delete 10,000 (Delete_Click)"),
            Ms(run),
            Ms(bare) + QLatin1String(" rename() to trash"),
            Times(run / bare),
            QStringLiteral("-"),
            QStringLiteral("-")};
}

// 6a. One more character in the file filter: re-read, rebuild, recount.
Row FilterKeystrokeRow(const QString &big)
{
    BenchWindow w(big);
    const int expected = Matching(BenchNames(Big), {QStringLiteral(".jpg"), QStringLiteral(".gif")});
    const auto [typed, bare] = MedianMs(
        {[&] {
             w->FileTypeText1->setText(QStringLiteral("jpg gif"));
             Settle();
         },
         [&] {
             w->FileTypeText1->setText(QStringLiteral("jpg gi"));
             Settle();
         },
         [&] {
             Expect(w->File1->listCount() == expected, QStringLiteral("6: wrong listing after the filter"));
         }},
        BareListing(big, expected, {QStringLiteral(".jpg"), QStringLiteral(".gif")}));
    return {QStringLiteral("6 filter keystroke, 100,000 files"),
            Ms(typed),
            Ms(bare) + QLatin1String(" readdir+filter+sort"),
            Times(typed / bare),
            QStringLiteral("ratio <= 1.5"),
            Verdict(typed / bare <= 1.5)};
}

// 6b. One more character in RemoveText: the preview rebuilt.
Row RemoveKeystrokeRow(const QString &folder)
{
    BenchWindow w(folder);
    SetPreviewRules(*w.window);
    w->File1->setAllSelected(true);
    const auto [typed, bare] = MedianMs({[&] {
                                             w->RemoveText->setText(QStringLiteral("IMG"));
                                             Settle();
                                         },
                                         [&] {
                                             w->RemoveText->setText(QStringLiteral("IM"));
                                             Settle();
                                         },
                                         [&] {
                                             Expect(w->List1->listCount() == 10000,
                                                    QStringLiteral("6: wrong preview after RemoveText"));
                                         }},
                                        BareShowVisible(*w.window));
    return {QStringLiteral("6 RemoveText keystroke, 10,000 selected"),
            Ms(typed),
            Ms(bare) + QLatin1String(" visible lines"),
            Times(typed / bare),
            QStringLiteral("<= 16 ms"),
            Verdict(typed.wall <= 16)};
}

// The line the preview shows for its k-th line, read through the view's model.
QString PreviewLine(const FileRenamer &w, int k)
{
    return w.List1->model()->index(k, 0).data().toString();
}

// With every file of the list selected, the preview's first, middle and last
// lines are the composed names under the rules the window shows now.
bool PreviewRight(const FileRenamer &w)
{
    const int count = w.File1->listCount();
    const RenameRules rules = w.ReadRules();
    const qint32 start = StartValueFromText(w.CounterStart->text()).value_or(0);
    for (int row : {0, count / 2, count - 1}) {
        const QString present = w.File1->list(row);
        if (PreviewLine(w, row)
            != present + QLatin1String("\t --> ") + ComposeName(rules, present, start + row, QLocale()))
            return false;
    }
    return w.List1->model()->rowCount() == count;
}

// A left click on `row` with `modifiers`, the row scrolled into view first.
void ClickFile(FileRenamer &w, int row, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex index = w.File1->model()->index(row, 0);
    w.File1->scrollTo(index);
    Settle();
    QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, modifiers, w.File1->visualRect(index).center());
}

// 9. From a keystroke in the prefix box to the marks of the run's stop shown,
// with every file of `folder` selected. The prefix hides the new names and
// the last line's is taken by a hidden file, so the run would stop at the
// last line: the prediction composes and checks every line, the most work it
// ever does.
Row MarksRow(BenchWindow &w, int count, double maxMs)
{
    SetPreviewRules(*w.window);
    w->Prefixtext->setText(QStringLiteral(".trip_"));
    w->File1->setAllSelected(true);
    const int last = w->File1->listCount() - 1;
    const qint32 start = StartValueFromText(w->CounterStart->text()).value_or(0);
    const QString taken = FullPath(
        w->File1->path(), ComposeName(w->ReadRules(), w->File1->list(last), start + last, QLocale()));
    QFile takenFile(taken);
    Expect(takenFile.open(QIODevice::WriteOnly), QStringLiteral("9: cannot write ") + taken);
    takenFile.close();
    const Time time = MedianMs({[&] {
                                    w->Prefixtext->setText(QStringLiteral(".trip_"));
                                    AwaitStop(*w.window);
                                },
                                [&] {
                                    w->Prefixtext->setText(QStringLiteral(".trip_x"));
                                    AwaitStop(*w.window);
                                },
                                [&] {
                                    const std::optional<PredictedStop> &stop = w->List1->preview()->stop();
                                    Expect(w->List1->listCount() == count && stop && stop->line == last,
                                           QStringLiteral("9: no stop foretold at the last line"));
                                }});
    QFile::remove(taken);
    const QString size = QLocale(QLocale::English).toString(count);
    return {QStringLiteral("9 stop marks, %1 selected").arg(size),
            Ms(time),
            QString(),
            QString(),
            QStringLiteral("<= %1 ms").arg(maxMs),
            Verdict(time.wall <= maxMs)};
}

// 9. A keystroke while the prediction of the one before is still under way.
Row KeystrokeWhilePredictingRow(BenchWindow &w, int count)
{
    SetPreviewRules(*w.window);
    w->File1->setAllSelected(true);
    w->Prefixtext->setText(QStringLiteral("trip_x"));
    bool predicting = true;
    const Time time = MedianMs({[&] {
                                    w->Prefixtext->setText(QStringLiteral("trip_x"));
                                    Settle();
                                },
                                [&] {
                                    AwaitStop(*w.window);
                                    w->Prefixtext->setText(QStringLiteral("trip_"));
                                    Settle();
                                    predicting = predicting && !w->List1->preview()->stop();
                                },
                                [&] {
                                    Expect(predicting && PreviewRight(*w.window),
                                           QStringLiteral("9: no prediction under way at the keystroke"));
                                }});
    const QString size = QLocale(QLocale::English).toString(count);
    return {QStringLiteral("9 keystroke while predicting, %1").arg(size),
            Ms(time),
            QString(),
            QString(),
            QStringLiteral("<= 16 ms"),
            Verdict(time.wall <= 16)};
}

// 9. Rename pressed, to the question, whose line on the stop is foretold
// afresh; the question is answered Cancel.
Row RenameQuestionRow(BenchWindow &w, int count)
{
    SetPreviewRules(*w.window);
    w->File1->setAllSelected(true);
    const Time time = MedianMs({[&] { w->Rename_Click(); },
                                [&] {
                                    w.box->shown.clear();
                                    w.box->answers = {MsgBox::AnswerCancel};
                                },
                                [&] {
                                    Expect(w.box->shown.size() == 1 && w->File1->selectedCount() == count,
                                           QStringLiteral("9: Rename did not stop at its question"));
                                }});
    const QString size = QLocale(QLocale::English).toString(count);
    return {QStringLiteral("9 Rename to its question, %1").arg(size),
            Ms(time),
            QString(),
            QString(),
            QStringLiteral("-"),
            QStringLiteral("-")};
}

} // namespace

BenchWindow::BenchWindow(const QString &folder)
{
    services = MakeTestServices(settingsDir.filePath(QStringLiteral("settings.ini")), &box);
    window = std::make_unique<FileRenamer>(*services);
    window->Form_Load();
    window->show();
    if (!folder.isEmpty())
        window->Dir1->setPath(folder);
    Settle();
}

// Rename pressed once the preview has foretold where the run stops, the
// batch, the folder and the volume unchanged since: the question takes that
// stop without reading the folder again; it is answered Cancel.
Row RenameQuestionCurrentRow(BenchWindow &w, int count, const QString &title)
{
    w->File1->setAllSelected(true);
    w->RefreshPreview();
    AwaitStop(*w.window);
    const Time time
        = MedianMs({[&] { w->Rename_Click(); },
                    [&] {
                        w.box->shown.clear();
                        w.box->answers = {MsgBox::AnswerCancel};
                    },
                    [&] {
                        if (!(w.box->shown.size() == 1 && w->File1->selectedCount() == count
                              && w->List1->preview()->stop()))
                            NoteProblem(title + QLatin1String(": Rename did not stop at its question"));
                    }});
    return {title, Ms(time), QString(), QString(), QStringLiteral("<= 20 ms"), Verdict(time.wall <= 20)};
}

void AwaitStop(const FileRenamer &w)
{
    while (!w.List1->preview()->stop())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Settle();
}

// 7. A million files: the listing against readdir plus sort; then, with every
// file selected, each rule keystroke or click, the selection buttons and the
// mouse, each timed from the change to the end of the repaint it causes.
QList<Row> MillionRows(const QString &folder, const Row &memory)
{
    constexpr int Million = 1000000;
    BenchWindow w{QString()};
    w->Dir1->setPath(folder);
    Settle();
    const FileNames sorted = BareList(folder);
    const auto [listed, bare]
        = MedianMs({[&] {
                        w->File1->refresh();
                        Settle();
                    },
                    {},
                    [&] {
                        Expect(w->File1->listCount() == Million && w->File1->list(0) == sorted.at(0)
                                   && w->File1->list(Million / 2) == sorted.at(Million / 2)
                                   && w->File1->list(Million - 1) == sorted.at(Million - 1),
                               QStringLiteral("7: wrong listing"));
                    }},
                   BareListing(folder, Million));
    QList<Row> rows
        = {{QStringLiteral("7 list 1,000,000 files"), Ms(listed), Ms(bare) + QLatin1String(" readdir+sort"),
            Times(listed / bare), QStringLiteral("ratio <= 1.1"), Verdict(listed / bare <= 1.1)}};

    SetPreviewRules(*w.window);
    w->File1->setAllSelected(true);
    const auto frame = [&](const QString &name, const std::function<void()> &change,
                           const std::function<void()> &back, const std::function<bool()> &right) {
        const Time time
            = MedianMs({[&] {
                            change();
                            Settle();
                        },
                        [&] {
                            back();
                            Settle();
                        },
                        [&] { Expect(right(), QStringLiteral("7: wrong preview after ") + name); }});
        rows.append({QStringLiteral("7 %1, 1,000,000").arg(name), Ms(time), QString(), QString(),
                     QStringLiteral("<= 16 ms"), Verdict(time.wall <= 16)});
    };
    const auto allRight = [&] { return PreviewRight(*w.window); };
    const auto text = [&](QLineEdit *box, const QString &typed, const QString &before) {
        frame(
            box->objectName() + QLatin1String(" keystroke"), [=] { box->setText(typed); },
            [=] { box->setText(before); }, allRight);
    };

    frame(
        QStringLiteral("preview all selected"), [&] { w->RefreshPreview(); }, [] {}, allRight);
    text(w->Prefixtext, QStringLiteral("trip_x"), QStringLiteral("trip_"));
    text(w->RemoveText, QStringLiteral("IM"), QStringLiteral("IMG"));
    text(w->ReplaceText, QStringLiteral("Q"), QStringLiteral("P"));
    text(w->CounterStart, QStringLiteral("2"), QStringLiteral("1"));
    QComboBox *combo = w->CounterFormatCombo;
    const auto pick = [combo](const QString &pattern) {
        combo->setCurrentIndex(combo->findText(pattern));
        emit combo->activated(combo->currentIndex());
    };
    frame(
        QStringLiteral("CounterFormatCombo pick"), [&] { pick(QStringLiteral("000000")); },
        [&] { pick(QStringLiteral("0000")); }, allRight);
    frame(
        QStringLiteral("Option1 click"), [&] { w->Option1[1]->setChecked(true); },
        [&] { w->Option1[0]->setChecked(true); }, allRight);
    frame(
        QStringLiteral("Option2 click"), [&] { w->Option2[1]->setChecked(true); },
        [&] { w->Option2[2]->setChecked(true); }, allRight);
    frame(
        QStringLiteral("Select All"), [&] { w->SelectAll->click(); }, [&] { w->SelectNone->click(); },
        allRight);
    frame(
        QStringLiteral("Select None"), [&] { w->SelectNone->click(); }, [&] { w->SelectAll->click(); },
        [&] { return w->SelectedCount() == 0 && w->List1->model()->rowCount() == 0; });

    // The mouse, on a list with every file selected, or one file for Shift.
    const int middle = Million / 2;
    frame(
        QStringLiteral("click"), [&] { ClickFile(*w.window, middle, Qt::NoModifier); },
        [&] { w->SelectAll->click(); },
        [&] {
            return w->SelectedCount() == 1 && w->List1->model()->rowCount() == 1
                && PreviewLine(*w.window, 0).startsWith(w->File1->list(middle) + u'\t');
        });
    frame(
        QStringLiteral("Ctrl+click"), [&] { ClickFile(*w.window, middle, Qt::ControlModifier); },
        [&] { w->SelectAll->click(); },
        [&] {
            return w->SelectedCount() == Million - 1 && w->List1->model()->rowCount() == Million - 1
                && PreviewLine(*w.window, middle).startsWith(w->File1->list(middle + 1) + u'\t');
        });
    frame(
        QStringLiteral("Shift+click"), [&] { ClickFile(*w.window, Million - 1, Qt::ShiftModifier); },
        [&] {
            w->SelectNone->click();
            ClickFile(*w.window, 0, Qt::NoModifier);
        },
        allRight);
    rows.append(memory);
    return rows;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every folder lives in one temporary folder on a real disk, removed at
    // the end; so do the home folder and the trash, which then lie on the
    // same file system as the files and are never the user's own. Nothing is
    // deleted before the end: ext4 without a journal will not reuse an inode
    // freed in the last minute or more, so every file made after a mass
    // deletion would pay for a long search, which would count against the
    // next case.
    QTemporaryDir base(BenchRoot() + QStringLiteral("/quorlane-bench-XXXXXX"));
    qputenv("HOME", QFile::encodeName(base.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(base.filePath(QStringLiteral("xdg-data"))));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = base.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    QApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--peak-memory"))
        return PeakMemoryChild(args[2], args[3].toInt());
    const int only = args.size() == 3 && args[1] == QLatin1String("--case") ? args[2].toInt() : 0;
    auto wanted = [only](int n) { return only == 0 || only == n; };

    // The window starts in the current folder; an empty one costs nothing.
    QDir::setCurrent(base.path());
    QFile loadAverage(QStringLiteral("/proc/loadavg"));
    loadAverage.open(QIODevice::ReadOnly);
    QTextStream(stdout) << "Folders under " << base.path() << " ("
                        << QStorageInfo(base.path()).fileSystemType()
                        << "); median of 5 runs after a warm-up, product and baseline alternating; "
                        << QThread::idealThreadCount() << " CPUs, load average "
                        << loadAverage.readLine().split(' ').mid(0, 3).join(' ') << "\n"
                        << Qt::flush;

    const QString big = base.filePath(QStringLiteral("big"));
    const QString small = base.filePath(QStringLiteral("small"));
    if (wanted(1) || wanted(2) || wanted(3) || wanted(6) || wanted(9))
        RecreateFolder(big, BenchNames(Big));
    if (wanted(2) || wanted(6))
        RecreateFolder(small, BenchNames(10000));

    // The peak memory comes from a child process, so that it is this case's
    // alone; it runs before the other cases.
    const Row memory = wanted(3) ? PeakMemoryRow(big, Big, 150) : Row();
    const QString million = base.filePath(QStringLiteral("million"));
    if (wanted(7) || wanted(9))
        RecreateFolder(million, BenchNames(1000000));
    const Row millionMemory = wanted(7) ? PeakMemoryRow(million, 1000000, 250) : Row();
    QList<Row> rows;
    if (wanted(1))
        rows.append(ListingRow(big));
    if (wanted(2)) {
        rows.append(PreviewRow(small, 10000, 16, 0));
        rows.append(PreviewRow(big, Big, 150, 3));
    }
    if (wanted(3))
        rows.append(memory);
    if (wanted(4)) {
        rows += RenameCase(base.path(), 10000);
        rows += RenameCase(base.path(), Big);
    }
    if (wanted(5))
        rows.append(DeleteRow(base.path()));
    if (wanted(6)) {
        rows.append(FilterKeystrokeRow(big));
        rows.append(RemoveKeystrokeRow(small));
    }
    if (wanted(7))
        rows += MillionRows(million, millionMemory);
    if (wanted(9)) {
        BenchWindow bigWindow(big);
        rows.append(MarksRow(bigWindow, Big, 100));
        BenchWindow millionWindow(million);
        rows.append(MarksRow(millionWindow, 1000000, 1000));
        rows.append(KeystrokeWhilePredictingRow(millionWindow, 1000000));
        rows.append(RenameQuestionRow(millionWindow, 1000000));
        SetPreviewRules(*millionWindow.window);
        rows.append(RenameQuestionCurrentRow(
            millionWindow, 1000000,
            QStringLiteral("9 Rename pressed to its question, prediction current, 1,000,000")));
    }
    if (wanted(8))
        rows += CardRenameRows();
    if (wanted(10))
        rows += ShareRows();

    QTextStream(stdout) << '\n' << Qt::flush;
    PrintTable(rows);
    if (!Problems().isEmpty()) {
        QTextStream out(stdout);
        out << "\nChecks that failed (their figures are not valid):\n";
        for (const QString &problem : Problems())
            out << "  " << problem << '\n';
    }
    QDir::setCurrent(QDir::rootPath());
    const bool missed = std::any_of(rows.cbegin(), rows.cend(),
                                    [](const Row &row) { return row.result == QLatin1String("FAIL"); });
    return missed || !Problems().isEmpty() ? 1 : 0;
}
