#pragma once

#include <QString>

class QWidget;

// Style flags and answers of a modal message box: a button set plus an icon.
namespace MsgBox {
constexpr int Ok = 0;
constexpr int OkCancel = 1;
constexpr int IconStop = 16;
constexpr int IconQuestion = 32;
constexpr int IconExclamation = 48;
constexpr int AnswerOk = 1;
constexpr int AnswerCancel = 2;
} // namespace MsgBox

// A modal message box. Returns only when the user has answered: 1 for OK,
// 2 for Cancel (also for Esc and the close box when Cancel is offered).
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // A carriage return in the text starts a new line; an empty title shows
    // the application's title.
    virtual int show(const QString &text, int flags, const QString &title = QString()) = 0;
};

class QtMessageBoxService : public MessageBoxService {
public:
    // Boxes are centred over `parent` while it is shown.
    void setParentWindow(QWidget *parent) { m_parent = parent; }
    int show(const QString &text, int flags, const QString &title = QString()) override;

private:
    QWidget *m_parent = nullptr;
};
