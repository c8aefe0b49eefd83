#include "platform/messageboxservice.h"

#include <QMessageBox>
#include <QWidget>

int QtMessageBoxService::show(const QString &text, int flags, const QString &title)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(m_parent && m_parent->isVisible() ? m_parent : nullptr);
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Quorlane") : title);
    box.setTextFormat(Qt::PlainText); // file names are never read as markup
    box.setText(lines);
    switch (flags & 0x70) {
    case MsgBox::IconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgBox::IconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgBox::IconExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case 64:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    const bool offersCancel = (flags & 0x0F) == MsgBox::OkCancel;
    box.setStandardButtons(offersCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    if (offersCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Ok ? MsgBox::AnswerOk
                                     : (offersCancel ? MsgBox::AnswerCancel : MsgBox::AnswerOk);
}
