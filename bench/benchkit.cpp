#include "benchkit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <strings.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {
constexpr int Runs = 5;

double CpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

Time TimeOnce(const Timed &timed)
{
    if (timed.prepare)
        timed.prepare();
    QElapsedTimer timer;
    const double cpuStart = CpuMs();
    timer.start();
    timed.work();
    const Time time{double(timer.nsecsElapsed()) / 1e6, CpuMs() - cpuStart};
    if (timed.check)
        timed.check();
    return time;
}

Time Median(const std::vector<Time> &times)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Time &time : times) {
        wall.push_back(time.wall);
        cpu.push_back(time.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}
} // namespace

Time MedianMs(const Timed &timed)
{
    TimeOnce(timed); // warm-up
    std::vector<Time> times(Runs);
    for (Time &time : times)
        time = TimeOnce(timed);
    return Median(times);
}

std::pair<Time, Time> MedianMs(const Timed &first, const Timed &second)
{
    TimeOnce(first);
    TimeOnce(second);
    std::vector<Time> firstTimes(Runs);
    std::vector<Time> secondTimes(Runs);
    for (int run = 0; run < Runs; ++run) {
        firstTimes[run] = TimeOnce(first);
        secondTimes[run] = TimeOnce(second);
    }
    return {Median(firstTimes), Median(secondTimes)};
}

void Settle()
{
    // The view's delayed layout posts the repaint; two rounds take both.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QStringList BenchNames(int count)
{
    static const char *const stems[] = {"IMG_", "Holiday ", "scan-", "DSC", "notes_", "Zebra ", "apple"};
    static const char *const others[] = {".txt", ".png", ".pdf", ""};
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name = QLatin1String(stems[i % 7]) + QString::number(i).rightJustified(6, u'0');
        if (i % 2 == 0)
            name += QLatin1String(i % 4 == 0 ? ".jpg" : ".JPG");
        else if (i % 10 == 1)
            name += QLatin1String(".gif");
        else
            name += QLatin1String(others[(i % 10) / 2 - 1]); // 3, 5, 7, 9
        names.append(name);
    }
    return names;
}

void RecreateFolder(const QString &folder, const QStringList &names)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(folder + u'/' + name);
        const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            NoteProblem(QStringLiteral("cannot create ") + QString::fromLocal8Bit(path));
        else
            ::close(fd);
    }
}

void PutBack(const QString &folder, const QStringList &names, const QString &from, const QString &prefix)
{
    for (const QString &name : names) {
        const QByteArray target = QFile::encodeName(folder + u'/' + name);
        const QByteArray source = QFile::encodeName(from + u'/' + prefix + name);
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0
            && ::access(target.constData(), F_OK) != 0) {
            RecreateFolder(folder, names);
            return;
        }
    }
}

namespace {
template<typename Visit> void ForEachEntry(const QString &folder, Visit visit)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        visit(name);
    }
    ::closedir(dir);
}
} // namespace

int CountEntries(const QString &folder, const QString &prefix)
{
    const QByteArray start = QFile::encodeName(prefix);
    int count = 0;
    ForEachEntry(folder, [&](const char *name) {
        if (std::strncmp(name, start.constData(), size_t(start.size())) == 0)
            ++count;
    });
    return count;
}

namespace {
bool IsAscii(const char *name, size_t size)
{
    return std::all_of(name, name + size, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether an ASCII name ends in one of the extensions, in any letter case.
bool HasExtension(const char *name, size_t size, const QList<QByteArray> &extensions)
{
    if (extensions.isEmpty())
        return true;
    return std::any_of(extensions.begin(), extensions.end(), [&](const QByteArray &extension) {
        return size >= size_t(extension.size())
            && ::strncasecmp(name + size - size_t(extension.size()), extension.constData(),
                             size_t(extension.size()))
            == 0;
    });
}
} // namespace

FileNames BareList(const QString &folder, const QStringList &extensions)
{
    QList<QByteArray> wanted;
    for (const QString &extension : extensions)
        wanted.append(extension.toLatin1());
    // Each name is read once into one text, and folded once into another;
    // ASCII names need no decoder and fold byte by byte.
    QString text;
    QString folded;
    std::vector<qsizetype> ends;
    ForEachEntry(folder, [&](const char *name) {
        const size_t size = std::strlen(name);
        if (IsAscii(name, size)) {
            if (!HasExtension(name, size, wanted))
                return;
            text.append(QLatin1StringView(name, qsizetype(size)));
            for (size_t i = 0; i < size; ++i)
                folded.append(QLatin1Char(char(std::tolower(static_cast<unsigned char>(name[i])))));
        } else {
            const QString decoded = QFile::decodeName(name);
            if (!extensions.isEmpty()
                && std::none_of(extensions.begin(), extensions.end(), [&](const QString &extension) {
                       return decoded.endsWith(extension, Qt::CaseInsensitive);
                   }))
                return;
            text.append(decoded);
            folded.append(decoded.toCaseFolded());
        }
        ends.push_back(text.size());
    });
    std::vector<qsizetype> order(ends.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = qsizetype(i);
    const auto at = [&](const QString &of, qsizetype i) {
        const qsizetype begin = i == 0 ? 0 : ends[size_t(i) - 1];
        return QStringView(of).mid(begin, ends[size_t(i)] - begin);
    };
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byFolded = at(folded, a).compare(at(folded, b));
        return byFolded != 0 ? byFolded < 0 : at(text, a) < at(text, b);
    });
    FileNames names;
    names.reserve(qsizetype(order.size()), text.size());
    for (const qsizetype i : order)
        names.append(at(text, i));
    return names;
}

QString PerlRename()
{
    for (const char *name : {"file-rename", "rename"}) {
        QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (path.isEmpty())
            continue;
        QProcess version;
        version.start(path, {QStringLiteral("--version")});
        version.waitForFinished();
        if (version.readAll().contains("File::Rename"))
            return path;
    }
    return {};
}

void RunPerlRename(const QString &perl, const QString &folder, const QStringList &names)
{
    QProcess rename;
    rename.setWorkingDirectory(folder);
    rename.start(perl, {QStringLiteral("s/^/r_/")});
    rename.write(names.join(u'\n').toLocal8Bit() + '\n');
    rename.closeWriteChannel();
    rename.waitForFinished(-1);
}

long PeakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QString BenchRoot()
{
    struct statfs fs { };
    if (::statfs(QFile::encodeName(QDir::tempPath()).constData(), &fs) == 0 && fs.f_type == TMPFS_MAGIC)
        return QCoreApplication::applicationDirPath();
    return QDir::tempPath();
}

namespace {
QStringList &problemList()
{
    static QStringList problems;
    return problems;
}
} // namespace

void NoteProblem(const QString &problem)
{
    problemList().append(problem);
}

const QStringList &Problems()
{
    return problemList();
}

QString Ms(const Time &time)
{
    auto number = [](double ms) { return QString::number(ms, 'f', ms < 10 ? 2 : 1); };
    return number(time.wall) + QLatin1String(" ms (cpu ") + number(time.cpu) + u')';
}

QString Times(double ratio)
{
    return QString::number(ratio, 'f', 3) + u'x';
}

QString Verdict(bool pass)
{
    return pass ? QStringLiteral("PASS") : QStringLiteral("FAIL  <<<");
}

void PrintTable(const QList<Row> &rows)
{
    const Row header{QStringLiteral("case"),  QStringLiteral("measured"), QStringLiteral("baseline"),
                     QStringLiteral("ratio"), QStringLiteral("target"),   QStringLiteral("result")};
    QList<Row> all = {header};
    all += rows;
    auto cells = [](const Row &row) {
        return QStringList{row.name, row.measured, row.baseline, row.ratio, row.target, row.result};
    };
    QList<int> widths(6, 0);
    for (const Row &row : all) {
        const QStringList c = cells(row);
        for (int i = 0; i < 6; ++i)
            widths[i] = std::max(widths[i], int(c[i].size()));
    }
    QTextStream out(stdout);
    auto line = [&](const QStringList &c) {
        QString text;
        for (int i = 0; i < 6; ++i)
            text += c[i].leftJustified(widths[i]) + (i < 5 ? QLatin1String(" | ") : QLatin1String(""));
        out << text.trimmed() << '\n';
    };
    line(cells(header));
    QStringList rule;
    for (int width : widths)
        rule.append(QString(width, u'-'));
    line(rule);
    for (const Row &row : rows)
        line(cells(row));
    out.flush();
}
