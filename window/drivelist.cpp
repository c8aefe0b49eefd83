#include "window/drivelist.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent), m_watcher(new DriveWatcher(this)), m_questions(new DriveQuestions(this))
{
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
    connect(m_watcher, &DriveWatcher::drivesChanged, this, &DriveList::refresh);
    connect(m_questions, &DriveQuestions::answered, this, &DriveList::answered);
    refresh();
}

void DriveList::setDrives(const QList<Drive> &drives)
{
    m_followsSystem = false;
    m_drives = drives;
    m_answered.clear();
    for (const Drive &d : drives)
        m_answered.insert(d.root, d.text);
    fill();
}

// Every volume is asked again, so that a card put into the same reader shows
// its own label.
void DriveList::refresh()
{
    if (!m_followsSystem)
        return;
    m_drives = ListDrives();
    for (auto it = m_answered.begin(); it != m_answered.end();) {
        const QString root = it.key();
        const bool listed
            = std::any_of(m_drives.cbegin(), m_drives.cend(), [&](const Drive &d) { return d.root == root; });
        it = listed ? std::next(it) : m_answered.erase(it);
    }
    fill();
    for (const Drive &d : std::as_const(m_drives))
        m_questions->ask(d);
}

void DriveList::answered(const QString &root, bool answers, const QString &text)
{
    if (!m_followsSystem
        || std::none_of(m_drives.cbegin(), m_drives.cend(), [&](const Drive &d) { return d.root == root; }))
        return;
    if (answers)
        m_answered.insert(root, text);
    else
        m_answered.remove(root);
    fill();
}

void DriveList::fill()
{
    const QString current = currentData().toString();
    const QSignalBlocker quiet(this);
    clear();
    for (const Drive &d : std::as_const(m_drives)) {
        const auto answer = m_answered.constFind(d.root);
        if (answer != m_answered.cend())
            addItem(*answer, d.root);
        else if (ShownBeforeAnswer())
            addItem(d.text, d.root);
    }
    // A given list starts at its first drive, as any list; the system's
    // shows the drive of the folder when the current one is gone.
    const int kept = findData(current);
    if (kept >= 0)
        setCurrentIndex(kept);
    else if (m_followsSystem)
        showDriveOf(m_folder);
}

int DriveList::driveNamed(const QString &text) const
{
    for (int i = 0; i < count(); ++i) {
        if (SameDrive(itemText(i), text))
            return i;
    }
    return -1;
}

bool DriveList::setDrive(const QString &text)
{
    const int index = driveNamed(text);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

// A volume that has not answered yet is looked at here: the one drive whose
// root the folder list is about to open.
bool DriveList::setAvailableDrive(const QString &text)
{
    const auto named = std::find_if(m_drives.cbegin(), m_drives.cend(), [&](const Drive &d) {
        return SameDrive(m_answered.value(d.root, d.text), text);
    });
    if (named == m_drives.cend())
        return false;
    const QFileInfo root(named->root);
    if (!root.isDir() || !root.isReadable() || !root.isExecutable() || !QDir(named->root).isReadable())
        return false;
    if (!m_answered.contains(named->root)) {
        m_answered.insert(named->root, named->text);
        fill();
    }
    return setDrive(m_answered.value(named->root));
}

QString DriveList::root() const
{
    const QVariant root = currentData();
    return root.isValid() ? root.toString() : DriveRootOfText(currentText());
}

void DriveList::showDriveOf(const QString &folder)
{
    m_folder = folder;
    const int index = DriveIndexOf(m_drives, folder);
    if (index >= 0 && !m_answered.contains(m_drives.at(index).root)) {
        m_answered.insert(m_drives.at(index).root, m_drives.at(index).text);
        fill();
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(index >= 0 ? findData(m_drives.at(index).root) : -1);
}

void DriveList::showPopup()
{
    refresh();
    QComboBox::showPopup();
}
