#pragma once

// Real volumes: an exFAT card image through exfat-fuse and a FAT32 one
// through fusefat, each on a loop device; a bind mount of a folder of the
// temporary file system; and our FUSE layer that fails one chosen call, over
// a plain folder (hard links work) or over an exFAT card (they do not, and
// names ignore case). Mounted while the object lives, unmounted and its loop
// device freed when it goes, also when a test fails.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class RealVolume {
public:
    enum class Kind { ExFat, Fat32, Bind, FaultyFolder, FaultyExFat };

    // What this machine lacks for such a volume; empty when nothing.
    static QString missing(Kind kind)
    {
        if (::geteuid() != 0)
            return QStringLiteral("root");
        QStringList needs = {QStringLiteral("mount")};
        if (kind != Kind::Bind)
            needs << QStringLiteral("/dev/fuse");
        if (kind == Kind::ExFat || kind == Kind::FaultyExFat)
            needs << QStringLiteral("/dev/loop-control") << QStringLiteral("mkfs.exfat")
                  << QStringLiteral("mount.exfat-fuse");
        if (kind == Kind::Fat32)
            needs << QStringLiteral("/dev/loop-control") << QStringLiteral("mkfs.vfat")
                  << QStringLiteral("fusefat");
        if (kind == Kind::FaultyFolder || kind == Kind::FaultyExFat)
            needs << QStringLiteral("/usr/lib/python3/dist-packages/fusepy.py");
        for (const QString &need : std::as_const(needs)) {
            if (need.startsWith(QLatin1Char('/')) ? !QFile::exists(need) : find(need).isEmpty())
                return need;
        }
        return {};
    }

    explicit RealVolume(Kind kind)
    {
        QDir().mkpath(m_mount);
        if (kind == Kind::FaultyFolder || kind == Kind::FaultyExFat) {
            if (kind == Kind::FaultyExFat)
                m_inner = std::make_unique<RealVolume>(Kind::ExFat);
            m_backing = m_inner ? m_inner->path() : m_dir.filePath(QStringLiteral("backing"));
            m_ok = QDir().mkpath(m_backing)
                && run(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(QUORLANE_FAULTFS), m_backing, m_mount,
                        m_dir.filePath(QStringLiteral("plan"))});
        } else if (kind == Kind::Bind) {
            m_backing = m_dir.filePath(QStringLiteral("bound"));
            m_ok = QDir().mkpath(m_backing)
                && run(QStringLiteral("mount"), {QStringLiteral("--bind"), m_backing, m_mount});
        } else {
            m_backing = m_mount;
            const QString image = m_dir.filePath(QStringLiteral("card.img"));
            const bool exfat = kind == Kind::ExFat;
            m_ok = QFile(image).open(QIODevice::WriteOnly) && QFile::resize(image, 64 << 20)
                && run(exfat ? QStringLiteral("mkfs.exfat") : QStringLiteral("mkfs.vfat"),
                       exfat ? QStringList{image}
                             : QStringList{QStringLiteral("-F"), QStringLiteral("32"), image})
                && run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image},
                       &m_loop)
                && (exfat ? run(QStringLiteral("mount.exfat-fuse"), {m_loop, m_mount})
                          : run(QStringLiteral("fusefat"),
                                {QStringLiteral("-o"), QStringLiteral("rw+"), m_loop, m_mount}));
        }
        struct stat top { };
        struct stat parent { };
        m_ok = m_ok && ::stat(QFile::encodeName(m_mount).constData(), &top) == 0
            && ::stat(QFile::encodeName(m_dir.path()).constData(), &parent) == 0
            && (kind == Kind::Bind || top.st_dev != parent.st_dev);
    }

    ~RealVolume()
    {
        // A dead FUSE layer can only be detached.
        if (!run(QStringLiteral("umount"), {m_mount}))
            run(QStringLiteral("umount"), {QStringLiteral("-l"), m_mount});
        if (!m_loop.isEmpty())
            run(QStringLiteral("losetup"), {QStringLiteral("-d"), m_loop});
    }

    RealVolume(const RealVolume &) = delete;
    RealVolume &operator=(const RealVolume &) = delete;

    bool ok() const { return m_ok; }
    QString path() const { return m_mount; }
    // A path below the mount as seen below the fault layer, which outlives it.
    QString backing(const QString &mounted) const
    {
        return m_backing + QLatin1Char('/') + QDir(m_mount).relativeFilePath(mounted);
    }
    // The fault layer's plan ("rename 2 after", "link 1 before die"),
    // counted from the moment it is given.
    bool arm(const QByteArray &plan) const
    {
        QFile file(m_dir.filePath(QStringLiteral("plan")));
        return file.open(QIODevice::WriteOnly) && file.write(plan) == plan.size();
    }
    // Lets a call that the plan holds ("link 5 hang") go on, failing.
    bool release() const { return QFile::remove(m_dir.filePath(QStringLiteral("plan"))); }

private:
    static QString find(const QString &tool)
    {
        return QStandardPaths::findExecutable(tool,
                                              {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                               QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    }

    static bool run(const QString &tool, const QStringList &args, QString *output = nullptr)
    {
        QProcess process;
        process.start(find(tool).isEmpty() ? tool : find(tool), args);
        const bool done = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        return done;
    }

    QTemporaryDir m_dir;
    QString m_mount = m_dir.filePath(QStringLiteral("mount"));
    std::unique_ptr<RealVolume> m_inner; // the card below a fault layer
    QString m_backing;
    QString m_loop;
    bool m_ok = false;
};
