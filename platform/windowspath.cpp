#include "platform/windowspath.h"

#include "platform/safemove.h"

#include <QDir>
#include <QStringList>

namespace {

const QString Verbatim = QStringLiteral("\\\\?\\");
const QString VerbatimShare = QStringLiteral("\\\\?\\UNC\\");

// The parts of a path below its drive or share, with "." and ".." resolved;
// empty parts (doubled separators) are dropped.
QStringList resolvedParts(const QStringList &parts)
{
    QStringList resolved;
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!resolved.isEmpty())
                resolved.removeLast();
            continue;
        }
        resolved.append(part);
    }
    return resolved;
}

} // namespace

QString ExactWindowsPath(const QString &path)
{
    QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(Verbatim) || native.startsWith(QLatin1String(R"(\\.\)")))
        return native;
    if (native.startsWith(QLatin1String("\\\\"))) {
        const QStringList parts = resolvedParts(native.mid(2).split(QLatin1Char('\\')));
        return VerbatimShare + parts.join(QLatin1Char('\\'));
    }
    const bool absolute = native.size() >= 3 && native.at(0).isLetter() && native.at(1) == QLatin1Char(':')
        && native.at(2) == QLatin1Char('\\');
    if (!absolute)
        return ExactWindowsPath(QDir::currentPath() + QLatin1Char('/') + path);
    const QStringList parts = resolvedParts(native.mid(3).split(QLatin1Char('\\')));
    return Verbatim + native.left(3) + parts.join(QLatin1Char('\\'));
}

QString PlainWindowsPath(const QString &path)
{
    const QString exact = ExactWindowsPath(path);
    return exact.startsWith(VerbatimShare) ? QLatin1String("\\\\") + exact.mid(VerbatimShare.size())
                                           : exact.mid(Verbatim.size());
}

QString ShellPathProblem(const QString &path)
{
    constexpr int ShellLongestPath = 259; // MAX_PATH less the end mark
    const QString native = QDir::toNativeSeparators(path);
    for (const QString &part : native.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        switch (WindowsNameFate(part)) {
        case WindowsName::EndDropped:
            return QStringLiteral("The Recycle Bin cannot take a file when its name, or the name of a folder "
                                  "above it, ends in a dot or a blank.");
        case WindowsName::Device:
            return QStringLiteral("The Recycle Bin cannot take a file when its name, or the name of a folder "
                                  "above it, is one of a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to "
                                  "LPT9).");
        case WindowsName::Kept:
            break;
        }
    }
    if (native.size() > ShellLongestPath)
        return QStringLiteral("The Recycle Bin cannot take a file whose path is longer than %1 characters.")
            .arg(ShellLongestPath);
    return QString();
}

QString ShellErrorText(int code)
{
    // The shell's own codes, which overlap the system's error numbers.
    switch (code) {
    case 0x71:
        return QStringLiteral("The source and the destination are the same file.");
    case 0x74:
        return QStringLiteral("The root of a drive cannot be moved.");
    case 0x75:
        return QStringLiteral("The operation was cancelled.");
    case 0x78:
        return QStringLiteral("Access to the file was denied.");
    case 0x79:
    case 0xB7:
        return QStringLiteral("The path is too long.");
    case 0x7C:
        return QStringLiteral("The path is not valid, or the file is not there.");
    case 0x81:
        return QStringLiteral("The name of the file is too long.");
    case 0x85:
        return QStringLiteral("The file is too large for its destination.");
    case 0x86:
    case 0x87:
    case 0x88:
        return QStringLiteral("The file lies on a CD or DVD, which cannot be changed.");
    case 0x402:
        return QStringLiteral("An unknown error, most likely a path that is too long.");
    case 0x10000:
        return QStringLiteral("An error at the destination.");
    default:
        return qt_error_string(code);
    }
}
