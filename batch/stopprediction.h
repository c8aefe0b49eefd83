#pragma once

#include "platform/folderreader.h"
#include "platform/renamerefusals.h"
#include "platform/safemove.h"
#include "rules/renamerules.h"
#include "window/selectedrows.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// One rename batch as the run takes it: the selected entries of the file list
// in list order, under the rules, numbered from the start value (none: the
// start text lies outside the counter's range), moved within `folder` on a
// volume with these facts.
struct StopBatch {
    QString folder;
    FileNames names;
    SelectedRows rows;
    RenameRules rules;
    std::optional<qint32> start;
    QLocale locale;
    VolumeFacts facts;
};

// What a prediction read of its folder. The reading holds while the folder's
// modification time stays as it was, and only where it was read long enough
// after the folder's last change that a later change would show in that
// time: on some volumes the time moves in whole seconds (on FAT in two).
struct FolderReading {
    QString folder;
    QDateTime changed; // the folder's modification time as it was read
    bool settled = false; // read after the time's granularity had passed since that change
    bool holds() const;
};

// The first line the run cannot rename, the present name of its file and why;
// no line when the run would rename every file.
struct PredictedStop {
    int line = -1;
    QString file;
    QString reason;
    FolderReading reading; // what it was made from; no folder where it needed none
};

// Where the rename run would stop, found as the run meets it, line after
// line: a new name held by a file that is not renamed away before that line
// (selected or not, of any extension, hidden, or a folder), the same new name
// as an earlier line, a name the volume cannot hold or that is too long for
// it, a path too long for the system, a folder in the new name that is not
// there or lies on another volume, a folder that cannot be changed, a file
// the system refuses to rename (marked immutable or append-only, another
// user's in a sticky folder), a full exFAT card without room in the folder,
// a file that is gone, a counter out of range. Where names ignore letter
// case, names are one as the volume compares them, and a file may change
// the case of its own name. What was read of the folder is kept for the next
// batch while the file list and the folder stay as they were.
class StopPrediction {
public:
    StopPrediction();
    ~StopPrediction();
    StopPrediction(const StopPrediction &) = delete;
    StopPrediction &operator=(const StopPrediction &) = delete;

    // `dropped` is asked now and then; once it answers true the work ends and
    // the result means nothing.
    PredictedStop predict(const StopBatch &batch, const std::function<bool()> &dropped = {});
    void forget();

private:
    class FolderIndex;
    class Job;
    std::unique_ptr<FolderIndex> m_folder;
};
