#pragma once

#include "batch/batchjournal.h"
#include "platform/safemove.h"
#include "rules/renamerules.h"

#include <QList>
#include <QString>
#include <QWidget>

class DirList;
class DriveList;
class FileList;
class PreviewList;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStyle;
struct MoveResult;
struct PlatformServices;
struct TrashedFile;

// The main window. It owns every control and the working state of the
// program; its procedures keep the names the users' manual and the support
// notes use (RefreshPreview, Rename_Click, ...), and each lives in the folder
// of its subsystem: the preview and the runs in batch/, the save and restore
// in settings/, the load in app/.
class FileRenamer : public QWidget {
    Q_OBJECT
public:
    explicit FileRenamer(PlatformServices &services, QWidget *parent = nullptr);
    ~FileRenamer() override;

    PlatformServices &services() { return m_services; }

    // Every control, in the order it was created.
    const QList<QWidget *> &controls() const { return m_controls; }

    // The controls, by the names the program uses.
    QPushButton *Rename;
    DriveList *Drive1;
    DirList *Dir1;
    FileList *File1;
    QGroupBox *Frame4;
    QLineEdit *ReplaceText;
    QLineEdit *RemoveText;
    QLabel *Label7;
    QLabel *Label6;
    QGroupBox *Frame5;
    QPushButton *Delete;
    QPushButton *SelectNone;
    QPushButton *SelectAll;
    QLineEdit *FileTypeText1;
    QLabel *Label5;
    QLabel *Label4;
    QGroupBox *Frame1;
    QRadioButton *Option1[3];
    QLineEdit *Prefixtext;
    QLabel *Label3;
    QGroupBox *Frame6;
    QComboBox *CounterFormatCombo;
    QLineEdit *CounterStart;
    QCheckBox *IncludeCountCheck;
    QLabel *Label8;
    QLabel *Label1;
    QGroupBox *Frame2;
    QRadioButton *Option2[3];
    PreviewList *List1;
    QGroupBox *Frame3;
    QLabel *Label2;

    // The rule values as the controls show them.
    RenameRules ReadRules() const;
    // The index of the selected member of Option1 / Option2.
    int SelectedOption(QRadioButton *const (&group)[3]) const;

    // The counter text of a value, and the counter boxes switched on or
    // greyed by the "Include Count" tick.
    QString FormatCounter(qint32 value);
    void CountSelected();
    int SelectedCount() const { return m_selectedCount; }

    void RefreshPreview();
    // The facts of the file list's volume, asked again after each reading of
    // the folder.
    const VolumeFacts &ListVolumeFacts();
    // The line the rename confirmation adds when the run would stop before
    // its end, predicted afresh; empty when it would rename every file.
    QString StopWarning();
    void Rename_Click();
    MoveResult RenameOneFile(const QString &presentPath, const QString &newPath,
                             const QString &temporaryPath = QString());
    void Delete_Click();
    // Moves a file whose trash record is made into the trash: true when it
    // went, and `trashed` says where it lies; false with the reason.
    bool DelToRecycBin(const QString &path, TrashedFile *trashed, QString *error);
    // The message for a file that stays out of the trash, and why.
    void NotSentToRecycleBin(const QString &path, const QString &error);

    // Taking back the last rename or delete batch of the folder shown.
    std::optional<JournalBatch> UndoableBatch() const;
    int MovesDone(const JournalBatch &batch) const;
    // The file a run left under the temporary name of its move `done`, if any.
    QString StrandedAt(const JournalBatch &batch, int done) const;
    static QString UndoText(const JournalBatch &batch, int files);
    void UndoLastBatch();
    void File1_ContextMenu(const QPoint &position);

    void Form_Load();
    void Form_Unload();
    // Reads every kept control value back from the settings store.
    void RestoreControls();
    // Writes every kept control value to the settings store; false with the
    // store's place when it cannot be written.
    bool SaveControls(QString *where);
    QString ControlKey(const QWidget *control) const;

    // Handlers of the controls' notifications.
    void Drive1_Change();
    void Dir1_Change();
    void File1_MouseUp();
    void FileTypeText1_Change();
    void SelectAll_Click();
    void SelectNone_Click();
    void Option1_Click(int index);
    void Option2_Click(int index);
    void IncludeCountCheck_Click();
    void CounterFormatCombo_Click();
    void Prefixtext_Change();
    void Prefixtext_KeyPress(int keyAscii);
    void CounterStart_Change();
    void RemoveText_Change();
    void ReplaceText_Change();
    void Label2_Click();

    // Switched on: enabled and white; greyed: disabled and light grey.
    static void SetSwitchedOn(QWidget *control, bool on);
    // The message for a folder that cannot be opened.
    void showDirOpenFailed(const QString &folder);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void wireEvents();

    PlatformServices &m_services;
    QList<QWidget *> m_controls;
    QStyle *m_style;
    QButtonGroup *m_option1Group;
    QButtonGroup *m_option2Group;
    qint32 m_counter = 0;
    int m_selectedCount = 0;
    VolumeFacts m_listFacts;
    int m_listFactsRead = -1; // the reading of the file list they were asked for
    BatchJournal m_journal;
    bool m_label2Pressed = false;
};
