#pragma once

// Real volumes, mounted while the object lives, also when a test fails: an
// exFAT or FAT32 card image through FUSE on a loop device, an ext4 disk
// image (which can lose its power), a bind mount, a tmpfs, a btrfs sub-volume that is not mounted on its own,
// and our FUSE layer failing one chosen call over a plain folder or an exFAT card (also passed on under a
// type no program knows, as an unknown card's driver).

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <memory>
#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

// The effective or the real user's number. Such volumes are made on Linux
// only.
inline unsigned VolumeUserId(bool effective)
{
#ifdef Q_OS_LINUX
    return effective ? ::geteuid() : ::getuid();
#else
    Q_UNUSED(effective);
    return 0;
#endif
}
#ifdef Q_OS_LINUX
constexpr bool VolumesHere = true;
#else
constexpr bool VolumesHere = false;
#endif

class RealVolume {
public:
    enum class Kind {
        ExFat,
        Fat32,
        Ext4,
        Bind,
        Tmpfs,
        BtrfsSubvolume,
        FaultyFolder,
        FaultyExFat,
        UnknownCard
    };

    // What this machine lacks for such a volume; empty when nothing.
    static QString missing(Kind kind)
    {
        if (!VolumesHere)
            return QStringLiteral("Linux (FUSE, loop devices and mounts)");
        if (VolumeUserId(true) != 0)
            return QStringLiteral("root");
        QStringList needs = {"mount"};
        if (kind != Kind::Bind && kind != Kind::Tmpfs && kind != Kind::BtrfsSubvolume && kind != Kind::Ext4)
            needs << "/dev/fuse";
        if (kind == Kind::BtrfsSubvolume)
            needs += QStringList{"/dev/loop-control", "mkfs.btrfs", "btrfs"};
        const bool card = kind == Kind::ExFat || kind == Kind::FaultyExFat || kind == Kind::UnknownCard;
        const bool faulty
            = kind == Kind::FaultyFolder || kind == Kind::FaultyExFat || kind == Kind::UnknownCard;
        if (card)
            needs += QStringList{"/dev/loop-control", "mkfs.exfat", "mount.exfat-fuse"};
        if (kind == Kind::Fat32)
            needs += QStringList{"/dev/loop-control", "mkfs.vfat", "fusefat"};
        if (kind == Kind::Ext4)
            needs += QStringList{"/dev/loop-control", "mkfs.ext4"};
        if (faulty)
            needs << "/usr/lib/python3/dist-packages/fusepy.py";
        for (const QString &need : std::as_const(needs)) {
            if (need.startsWith(QLatin1Char('/')) ? !QFile::exists(need) : find(need).isEmpty())
                return need;
        }
        return {};
    }

    explicit RealVolume(Kind kind)
    {
        m_ok = QDir().mkpath(m_mount);
        if (kind == Kind::FaultyFolder || kind == Kind::FaultyExFat || kind == Kind::UnknownCard) {
            if (kind != Kind::FaultyFolder)
                m_inner = std::make_unique<RealVolume>(Kind::ExFat);
            m_backing = m_inner ? m_inner->path() : m_dir.filePath(QStringLiteral("backing"));
            QStringList args = {QUORLANE_FAULTFS, m_backing, m_mount, m_dir.filePath("plan")};
            if (kind == Kind::FaultyExFat)
                args << QStringLiteral("exfat");
            m_ok = m_ok && QDir().mkpath(m_backing) && run("/usr/bin/python3", args);
        } else if (kind == Kind::Bind) {
            m_backing = m_dir.filePath(QStringLiteral("bound"));
            m_ok = m_ok && QDir().mkpath(m_backing) && run("mount", {"--bind", m_backing, m_mount});
        } else if (kind == Kind::Tmpfs) {
            m_backing = m_mount;
            m_ok = m_ok && run("mount", {"-t", "tmpfs", "-o", "size=16m", "tmpfs", m_mount});
        } else if (kind == Kind::BtrfsSubvolume) {
            m_path = m_backing = m_mount + QLatin1String("/subvolume");
            m_ok = m_ok && QFile(m_image).open(QIODevice::WriteOnly) && QFile::resize(m_image, 128 << 20)
                && run("mkfs.btrfs", {"-q", m_image}) && run("losetup", {"-f", "--show", m_image}, &m_loop)
                && run("mount", {m_loop, m_mount}) && run("btrfs", {"subvolume", "create", m_path});
        } else {
            // An ext4 disk has room for the files of a large batch.
            m_backing = m_mount;
            const bool exfat = kind == Kind::ExFat;
            const bool ext4 = kind == Kind::Ext4;
            m_ok = m_ok && QFile(m_image).open(QIODevice::WriteOnly)
                && QFile::resize(m_image, 64 << (ext4 ? 2 : 0) << 20)
                && (exfat      ? run("mkfs.exfat", {m_image})
                        : ext4 ? run("mkfs.ext4", {"-q", "-N", "65536", m_image})
                               : run("mkfs.vfat", {"-F", "32", m_image}))
                && run("losetup", {"-f", "--show", m_image}, &m_loop)
                && (exfat      ? run("mount.exfat-fuse", {m_loop, m_mount})
                        : ext4 ? run("mount", {m_loop, m_mount})
                               : run("fusefat", {"-o", "rw+", m_loop, m_mount}));
        }
        m_ok = m_ok && QStorageInfo(m_mount).rootPath() == m_mount;
    }

    ~RealVolume()
    {
        // A dead FUSE layer can only be detached.
        if (!run("umount", {m_mount}))
            run("umount", {"-l", m_mount});
        if (!m_loop.isEmpty())
            run("losetup", {"-d", m_loop});
    }

    RealVolume(const RealVolume &) = delete;
    RealVolume &operator=(const RealVolume &) = delete;

    bool ok() const { return m_ok; }
    // The volume's top, where its trash is: the mount, or the sub-volume.
    QString path() const { return m_path; }
    // A path below the top as seen below the fault layer, which outlives it.
    QString backing(const QString &mounted) const
    {
        return m_backing + QLatin1Char('/') + QDir(m_path).relativeFilePath(mounted);
    }
    // The volume's own trash, as seen below the fault layer.
    QString trash() const
    {
        return m_backing + QLatin1String("/.Trash-") + QString::number(VolumeUserId(false));
    }
    // The fault layer's plan ("rename 2 after", "link 1 before die"),
    // counted from the moment it is given.
    bool arm(const QByteArray &plan) const
    {
        QFile file(m_dir.filePath(QStringLiteral("plan")));
        return file.open(QIODevice::WriteOnly) && file.write(plan) == plan.size();
    }
    // Lets a call that the plan holds ("link 5 hang") go on, failing, or
    // carried out ("statfs 1 hold").
    bool release() const { return QFile::remove(m_dir.filePath(QStringLiteral("plan"))); }
    // A power cut on a disk image: `cutPower` keeps the image as the disk
    // holds it now, without what the system has yet to write;
    // `startAgain` mounts that copy in the volume's place.
    bool cutPower() const { return QFile::copy(m_image, m_dir.filePath(QStringLiteral("cut.img"))); }
    bool startAgain()
    {
        return run("umount", {m_mount}) && run("losetup", {"-d", m_loop})
            && run("losetup", {"-f", "--show", m_dir.filePath(QStringLiteral("cut.img"))}, &m_loop)
            && run("mount", {m_loop, m_mount});
    }
    // Mounts the volume again with other options, such as "sync".
    bool remount(const QString &options) const
    {
        return run("mount", {"-o", QLatin1String("remount,") + options, m_mount});
    }
    // Whether a call has come that the plan holds.
    bool holding() const { return QFile::exists(m_dir.filePath(QStringLiteral("plan.held"))); }

private:
    static QString find(const QString &tool)
    {
        return QStandardPaths::findExecutable(tool, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
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
    QString m_path = m_mount;
    QString m_image = m_dir.filePath(QStringLiteral("disk.img"));
    std::unique_ptr<RealVolume> m_inner; // the card below a fault layer
    QString m_backing;
    QString m_loop;
    bool m_ok = false;
};

Q_DECLARE_METATYPE(RealVolume::Kind)
