#pragma once

// Real volumes for what depends on the file system: an exFAT card image
// through exfat-fuse and a FAT32 one through fusefat, each on a loop device;
// a bind mount of a folder of the temporary file system; and a passthrough
// FUSE layer of our own that fails one chosen call, over a plain folder
// (where hard links work) or over an exFAT card (where they do not, and
// names ignore case). Each is mounted while its object lives and unmounted,
// its loop device freed, when it goes, also when a test fails.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class RealVolume {
public:
    enum class Kind { ExFat, Fat32, Bind, FaultyFolder, FaultyExFat };

    // What this machine lacks for such a volume, empty when nothing.
    static QString missing(Kind kind)
    {
        if (::geteuid() != 0)
            return QStringLiteral("root");
        if (kind != Kind::Bind && !QFileInfo::exists(QStringLiteral("/dev/fuse")))
            return QStringLiteral("/dev/fuse");
        QStringList tools = {QStringLiteral("mount"), QStringLiteral("umount")};
        if (kind == Kind::ExFat || kind == Kind::FaultyExFat)
            tools << QStringLiteral("losetup") << QStringLiteral("mkfs.exfat")
                  << QStringLiteral("mount.exfat-fuse");
        if (kind == Kind::Fat32)
            tools << QStringLiteral("losetup") << QStringLiteral("mkfs.vfat") << QStringLiteral("fusefat");
        if (tools.contains(QStringLiteral("losetup"))
            && !QFileInfo::exists(QStringLiteral("/dev/loop-control")))
            return QStringLiteral("loop devices (/dev/loop-control)");
        for (const QString &tool : std::as_const(tools)) {
            if (find(tool).isEmpty())
                return tool;
        }
        if ((kind == Kind::FaultyFolder || kind == Kind::FaultyExFat)
            && QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                 {QStringLiteral("-c"), QStringLiteral("import fusepy")})
                != 0)
            return QStringLiteral("python3-fusepy");
        return {};
    }

    explicit RealVolume(Kind kind)
    {
        m_mount = m_dir.filePath(QStringLiteral("mount"));
        QDir().mkpath(m_mount);
        if (kind == Kind::FaultyFolder || kind == Kind::FaultyExFat) {
            if (kind == Kind::FaultyExFat)
                m_inner = std::make_unique<RealVolume>(Kind::ExFat);
            m_backing = m_inner ? m_inner->path() : m_dir.filePath(QStringLiteral("backing"));
            QDir().mkpath(m_backing);
            m_ok = (!m_inner || m_inner->ok())
                && run(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(QUORLANE_FAULTFS), m_backing, m_mount, planFile()});
        } else if (kind == Kind::Bind) {
            m_backing = m_dir.filePath(QStringLiteral("bound"));
            QDir().mkpath(m_backing);
            m_ok = run(QStringLiteral("mount"), {QStringLiteral("--bind"), m_backing, m_mount});
        } else {
            const QString image = m_dir.filePath(QStringLiteral("card.img"));
            QFile file(image);
            m_ok = file.open(QIODevice::WriteOnly) && file.resize(64 << 20);
            file.close();
            const bool exfat = kind == Kind::ExFat;
            m_ok = m_ok
                && run(exfat ? QStringLiteral("mkfs.exfat") : QStringLiteral("mkfs.vfat"),
                       exfat ? QStringList{image}
                             : QStringList{QStringLiteral("-F"), QStringLiteral("32"), image})
                && run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image},
                       &m_loop)
                && (exfat ? run(QStringLiteral("mount.exfat-fuse"), {m_loop, m_mount})
                          : run(QStringLiteral("fusefat"),
                                {QStringLiteral("-o"), QStringLiteral("rw+"), m_loop, m_mount}));
            m_backing = m_mount;
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
    // The same files as seen below the fault layer, which outlives it.
    QString backing(const QString &mounted) const
    {
        return m_backing + QLatin1Char('/') + QDir(m_mount).relativeFilePath(mounted);
    }
    // The fault layer's plan ("rename 2 after", "link 1 before die"), counted
    // from the moment it is given.
    bool arm(const QByteArray &plan) const
    {
        QFile file(planFile());
        return file.open(QIODevice::WriteOnly) && file.write(plan) == plan.size();
    }

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

    QString planFile() const { return m_dir.filePath(QStringLiteral("plan")); }

    QTemporaryDir m_dir;
    std::unique_ptr<RealVolume> m_inner; // the card below a fault layer
    QString m_mount;
    QString m_backing;
    QString m_loop;
    bool m_ok = false;
};
