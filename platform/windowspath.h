#pragma once

#include <QString>

// The exact name of a file for the system's own calls on Windows: the
// absolute path behind "\\?\" ("\\?\UNC\server\share\..." for a share), which
// Windows takes as it is. A plain path loses a dot or blank at the end of a
// name, so that the call acts on another file, and ends at 260 characters.
// "." and ".." are resolved here, as Windows does not resolve them there.
QString ExactWindowsPath(const QString &path);

// The same path as Windows writes it without "\\?\": what the shell takes.
QString PlainWindowsPath(const QString &path);

// Why the shell (the Recycle Bin) cannot be handed this path: it takes plain
// paths only, where Windows drops a dot or blank at the end of a name (and
// would act on another file), opens a device for a name such as NUL, and
// stops at 260 characters. Empty when the shell takes it.
QString ShellPathProblem(const QString &path);

// The text of a code that the shell's file operation returns: its own codes
// (DE_INVALIDFILES and the like, which are no system error numbers) read as
// what they mean; any other code is the system's error number.
QString ShellErrorText(int code);
