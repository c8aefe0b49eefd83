#pragma once

// Small tools of the benchmark: timing, folders of files, the bare
// baselines and the table.

#include "platform/folderreader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

// One timed piece of work; `prepare` runs untimed before each call of
// `work`, `check` untimed after it.
struct Timed {
    std::function<void()> work;
    std::function<void()> prepare = {};
    std::function<void()> check = {};
};

// A duration in milliseconds: the wall-clock time, which the targets are
// about, and the CPU time of this process, which other programs running on
// the machine change less.
struct Time {
    double wall = 0;
    double cpu = 0;
};
// The ratio of two wall-clock times.
inline double operator/(const Time &a, const Time &b)
{
    return a.wall / b.wall;
}

// The medians of five timed calls, after one warm-up.
Time MedianMs(const Timed &timed);
// The medians of two contenders whose calls alternate, so that a change in
// the machine's load falls on both alike.
std::pair<Time, Time> MedianMs(const Timed &first, const Timed &second);

// Lets the window lay out and paint what the last call changed, as the event
// loop would before the user sees it.
void Settle();

// `count` file names: half .jpg (half of them written .JPG), a tenth .gif,
// the rest .txt, .png, .pdf or without extension, in mixed letter case.
QStringList BenchNames(int count);
// An empty folder `folder` filled with empty files of those names.
void RecreateFolder(const QString &folder, const QStringList &names);
// Moves the files back to `folder` under their first names after a run
// moved them to `from` with `prefix` before each name; far cheaper than
// creating them again. A file already back stays; a missing one makes the
// whole folder be created again.
void PutBack(const QString &folder, const QStringList &names, const QString &from, const QString &prefix);
// The entries of a folder whose names start with `prefix` ("." and ".."
// aside).
int CountEntries(const QString &folder, const QString &prefix = QString());

// The least work that lists a folder as the file list does: the names of
// its entries by readdir, those with one of `extensions` (any letter case;
// every name when empty), ordered without regard to case and by the names
// themselves where that ties.
FileNames BareList(const QString &folder, const QStringList &extensions = {});

// Debian's perl rename (package "rename"), not the util-linux one; empty
// when it is not installed.
QString PerlRename();
// That rename, in `folder`, puts "r_" before each of `names`.
void RunPerlRename(const QString &perl, const QString &folder, const QStringList &names);

// The peak resident memory of this process (VmHWM) in kB.
long PeakMemoryKb();

// Where the benchmark's folders go: the temporary folder, unless it is a
// RAM disk; then beside the executable.
QString BenchRoot();

// A failed check of a run; the list is printed under the table.
void NoteProblem(const QString &problem);
const QStringList &Problems();

struct Row {
    QString name;
    QString measured;
    QString baseline;
    QString ratio;
    QString target;
    QString result; // PASS, FAIL, or "-" for a figure without a target
};

// "12.3 ms (cpu 11.9)"
QString Ms(const Time &time);
QString Times(double ratio);
QString Verdict(bool pass);
void PrintTable(const QList<Row> &rows);
