#!/usr/bin/python3
"""A passthrough file system that fails one chosen call, for the tests.

    faultfs.py BACKING MOUNTPOINT PLAN [TYPE]

Everything done below MOUNTPOINT is done to BACKING. Once the file PLAN
exists, it holds "OP N WHEN [die|ERRNO]": the Nth rename, link, unlink,
write or statfs from then on fails with EIO (or the error named, such as
EPERM) before it is carried out (WHEN "before") or after ("after"); with
"die" the file system ends there, as a card pulled out; with "hang" the call
waits until PLAN is removed, then fails before it is carried out, as a
process killed in the middle of a call leaves it; with "hold" it waits until
PLAN is removed and is then carried out, as a share whose server is slow to
answer. While a call waits, PLAN.held exists, and other calls are answered.
"delay MS" instead makes every request take MS milliseconds more, as a share
over a slow network does. TYPE names the file system the layer passes on
(mounted as fuse.TYPE), as a card's own FUSE driver names it.
"""
import ctypes
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

libc = ctypes.CDLL(None, use_errno=True)
STAT_FIELDS = ('st_mode', 'st_ino', 'st_nlink', 'st_uid', 'st_gid', 'st_size',
               'st_atime', 'st_mtime', 'st_ctime')


class FaultFS(Operations):
    def __init__(self, root, plan):
        self.root, self.plan_file, self.plan, self.count = root, plan, None, 0
        self.made = {}

    def __call__(self, op, *args):
        # A plan being written reads empty: it is read again at the next call.
        if self.plan is None and os.path.exists(self.plan_file):
            with open(self.plan_file) as f:
                self.plan = f.read().split() or None
        # Before it answers a link, mkdir or create, libfuse looks at the
        # entry made; a share answers such a request in one round trip.
        # (libfuse's threads are not Python's: each call is told by its id.)
        thread = threading.get_ident()
        looking = op == 'getattr' and self.made.pop(thread, False)
        if self.plan and self.plan[0] == 'delay' and not looking:
            time.sleep(int(self.plan[1]) / 1000)
        result = super().__call__(op, *args)
        self.made[thread] = op in ('link', 'mkdir', 'create')
        return result

    def _path(self, path):
        return os.path.join(self.root, path.lstrip('/'))

    def _counted(self, op, call):
        if self.plan and self.plan[0] == op:
            self.count += 1
        hit = bool(self.plan) and self.plan[0] == op and self.count == int(self.plan[1])
        if hit and self.plan[2] in ('hang', 'hold'):
            open(self.plan_file + '.held', 'w').close()
            while os.path.exists(self.plan_file):
                time.sleep(0.01)
            if self.plan[2] == 'hold':
                return call()
        result = None if hit and self.plan[2] != 'after' else call()
        if hit:
            if 'die' in self.plan:
                os._exit(1)
            named = [getattr(errno, word) for word in self.plan[3:] if word.startswith('E')]
            raise FuseOSError(named[0] if named else errno.EIO)
        return result

    def getattr(self, path, fh=None):
        # Asked afresh (AT_STATX_FORCE_SYNC), as this layer was: a FUSE card
        # below would otherwise answer from its cache for a name moved away.
        full = self._path(path)
        if libc.statx(-100, os.fsencode(full), 0x2100, 1, ctypes.create_string_buffer(256)) != 0:
            raise FuseOSError(ctypes.get_errno())
        st = os.lstat(full)
        return {key: getattr(st, key) for key in STAT_FIELDS}

    def statfs(self, path):
        # Never kept by the kernel: every statfs reaches the layer.
        fields = ('f_bavail', 'f_bfree', 'f_blocks', 'f_bsize', 'f_favail', 'f_ffree', 'f_files',
                  'f_flag', 'f_frsize', 'f_namemax')
        return self._counted('statfs', lambda: {key: getattr(os.statvfs(self._path(path)), key)
                                                for key in fields})

    def readdir(self, path, fh):
        # Each entry with its type, as a network file system gives it.
        with os.scandir(self._path(path)) as entries:
            return ['.', '..'] + [(e.name, {'st_mode': e.stat(follow_symlinks=False).st_mode,
                                            'st_ino': e.inode()}, 0) for e in entries]

    def open(self, path, flags):
        return os.open(self._path(path), flags)

    def create(self, path, mode, fi=None):
        return os.open(self._path(path), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        return self._counted('write', lambda: os.pwrite(fh, data, offset))

    def truncate(self, path, length, fh=None):
        os.truncate(self._path(path), length)

    def release(self, path, fh):
        os.close(fh)

    def mkdir(self, path, mode):
        os.mkdir(self._path(path), mode)

    def rmdir(self, path):
        os.rmdir(self._path(path))

    def rename(self, old, new):
        self._counted('rename', lambda: os.rename(self._path(old), self._path(new)))

    def link(self, target, source):
        self._counted('link', lambda: os.link(self._path(source), self._path(target)))

    def unlink(self, path):
        self._counted('unlink', lambda: os.unlink(self._path(path)))


if __name__ == '__main__':
    backing, mountpoint, plan = sys.argv[1:4]
    named = {'subtype': sys.argv[4]} if len(sys.argv) > 4 else {}
    FUSE(FaultFS(backing, plan), mountpoint, foreground=False, nothreads=False, use_ino=True, **named)
