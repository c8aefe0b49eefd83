#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <thread>

#ifdef Q_OS_WIN
#include "platform/windowspath.h"

#include <QAbstractNativeEventFilter>

#include <windows.h>

#include <dbt.h>
#else
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#endif

namespace {

bool hasDriveLetter(const QString &text)
{
    return text.size() >= 2 && text.at(0).isLetter() && text.at(1) == QLatin1Char(':');
}

#ifndef Q_OS_WIN
// Volumes a person would never pick as a place for files.
bool isSystemVolume(const QByteArray &type, const QString &root)
{
    static const QList<QByteArray> systemTypes
        = {"proc",     "sysfs",   "devtmpfs",    "devpts", "cgroup",     "cgroup2",  "securityfs",
           "pstore",   "debugfs", "tracefs",     "mqueue", "hugetlbfs",  "bpf",      "fusectl",
           "configfs", "autofs",  "binfmt_misc", "nsfs",   "rpc_pipefs", "efivarfs", "squashfs"};
    if (systemTypes.contains(type))
        return true;
    for (const char *prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot"}) {
        const QString p = QLatin1String(prefix);
        if ((root == p || root.startsWith(p + QLatin1Char('/')))
            && !root.startsWith(QLatin1String("/run/media")))
            return true;
    }
    return false;
}

// A field of the mount table, whose blanks, tabs, line ends and backslashes
// are written as octal escapes ("\040").
QByteArray unescaped(const QByteArray &field)
{
    QByteArray plain;
    plain.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        bool octal = c == '\\' && i + 3 < field.size();
        for (qsizetype k = 1; octal && k <= 3; ++k)
            octal = field.at(i + k) >= '0' && field.at(i + k) <= '7';
        if (octal) {
            plain.append(char(((field.at(i + 1) - '0') << 6) | ((field.at(i + 2) - '0') << 3)
                              | (field.at(i + 3) - '0')));
            i += 3;
        } else {
            plain.append(c);
        }
    }
    return plain;
}
#endif

// Asks one volume; runs on a thread of its own.
void askVolume(const Drive &drive, bool *answers, QString *text)
{
#ifdef Q_OS_WIN
    // A drive without a medium is told, not shown a box asking for one.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    wchar_t label[MAX_PATH + 1] = {};
    const QString root = ExactWindowsPath(drive.root);
    *answers = GetVolumeInformationW(reinterpret_cast<LPCWSTR>(root.utf16()), label, MAX_PATH + 1, nullptr,
                                     nullptr, nullptr, nullptr, 0);
    *text = drive.text.left(2);
    if (*answers && label[0])
        *text += QLatin1String(" [") + QString::fromWCharArray(label) + QLatin1Char(']');
#else
    const QByteArray path = QFile::encodeName(drive.root);
    struct statfs volume { };
    struct stat st { };
    // A file mounted over a file is no drive.
    *answers = ::statfs(path.constData(), &volume) == 0 && ::stat(path.constData(), &st) == 0
        && S_ISDIR(st.st_mode) && ::access(path.constData(), R_OK | X_OK) == 0;
    *text = drive.text;
#endif
}

} // namespace

QList<Drive> ListDrives()
{
    QList<Drive> drives;
#ifdef Q_OS_WIN
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (letters & (DWORD(1) << i)) {
            const QChar letter(u'A' + i);
            drives.append(
                {QString(letter.toLower()) + QLatin1Char(':'), QString(letter) + QLatin1String(":\\")});
        }
    }
#else
    // /proc/self/mountinfo: ID, parent, device, root within the volume, mount
    // point, options, optional fields up to "-", then the type.
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (table.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype dash = fields.indexOf("-");
            if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
                continue;
            const QString root = QFile::decodeName(unescaped(fields.at(4)));
            if (isSystemVolume(fields.at(dash + 1), root))
                continue;
            // A volume mounted over another hides it: the mount point is one drive.
            if (std::none_of(drives.cbegin(), drives.cend(), [&](const Drive &d) { return d.root == root; }))
                drives.append({root, root});
        }
    }
    if (drives.isEmpty())
        drives.append({QStringLiteral("/"), QStringLiteral("/")});
    std::sort(drives.begin(), drives.end(), [](const Drive &a, const Drive &b) { return a.root < b.root; });
#endif
    return drives;
}

bool ShownBeforeAnswer()
{
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

int DriveIndexOf(const QList<Drive> &drives, const QString &path)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity pathCase = Qt::CaseSensitive;
#endif
    // Roots and folders may be written with either separator.
    const QString folder = QDir::fromNativeSeparators(path);
    int best = -1;
    for (int i = 0; i < drives.size(); ++i) {
        const QString root = QDir::fromNativeSeparators(drives.at(i).root);
        const bool contains = folder.compare(root, pathCase) == 0
            || folder.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'), pathCase);
        if (contains && (best < 0 || root.size() > drives.at(best).root.size()))
            best = i;
    }
    return best;
}

QString DriveRootOfText(const QString &text)
{
    if (hasDriveLetter(text))
        return text.left(2) + QLatin1Char('\\');
    return text;
}

bool SameDrive(const QString &a, const QString &b)
{
    if (hasDriveLetter(a) && hasDriveLetter(b))
        return a.left(2).compare(b.left(2), Qt::CaseInsensitive) == 0;
    return a == b;
}

#ifdef Q_OS_WIN

// Windows tells every top-level window of a device or share that arrives or
// is removed.
struct DriveWatcher::Native : QAbstractNativeEventFilter {
    DriveWatcher *owner = nullptr;

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        const auto *msg = static_cast<const MSG *>(message);
        if (type == "windows_generic_MSG" && msg->message == WM_DEVICECHANGE
            && (msg->wParam == DBT_DEVICEARRIVAL || msg->wParam == DBT_DEVICEREMOVECOMPLETE))
            QMetaObject::invokeMethod(owner, &DriveWatcher::drivesChanged, Qt::QueuedConnection);
        return false;
    }
};

DriveWatcher::DriveWatcher(QObject *parent) : QObject(parent), m_native(std::make_unique<Native>())
{
    m_native->owner = this;
    QCoreApplication::instance()->installNativeEventFilter(m_native.get());
}

DriveWatcher::~DriveWatcher()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(m_native.get());
}

#else

// The mount table signals a change as an exceptional condition on the open
// table.
struct DriveWatcher::Native {
    int table = -1;
    QSocketNotifier *notifier = nullptr;
};

DriveWatcher::DriveWatcher(QObject *parent) : QObject(parent), m_native(std::make_unique<Native>())
{
    m_native->table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (m_native->table < 0)
        return;
    m_native->notifier = new QSocketNotifier(m_native->table, QSocketNotifier::Exception, this);
    connect(m_native->notifier, &QSocketNotifier::activated, this, &DriveWatcher::drivesChanged);
}

DriveWatcher::~DriveWatcher()
{
    delete m_native->notifier;
    if (m_native->table >= 0)
        ::close(m_native->table);
}

#endif

DriveQuestions::DriveQuestions(QObject *parent) : QObject(parent), m_inbox(std::make_shared<Inbox>())
{
    m_inbox->receiver = this;
}

DriveQuestions::~DriveQuestions()
{
    const std::lock_guard<std::mutex> lock(m_inbox->mutex);
    m_inbox->receiver = nullptr;
}

void DriveQuestions::ask(const Drive &drive)
{
    if (m_open.contains(drive.root))
        return;
    m_open.insert(drive.root);
    std::thread([inbox = m_inbox, drive] {
        bool answers = false;
        QString text;
        askVolume(drive, &answers, &text);
        const std::lock_guard<std::mutex> lock(inbox->mutex);
        if (DriveQuestions *receiver = inbox->receiver) {
            QMetaObject::invokeMethod(
                receiver,
                [receiver, root = drive.root, answers, text] { receiver->finish(root, answers, text); },
                Qt::QueuedConnection);
        }
    }).detach();
}

void DriveQuestions::finish(const QString &root, bool answers, const QString &text)
{
    m_open.remove(root);
    emit answered(root, answers, text);
}
